#pragma once

#include "Graphics/GpuBuffer.h"
#include "Terrain/VisualBlock.h"

#include <cstdint>
#include <vector>

class Planet;

// One corner of the water surface as the water buffer holds it (72 bytes).
struct WaterVertex
{
    Vector3 position;
    // The planet's up direction at the vertex.
    Vector3 normal;
    Vector3 tangent;
};

static_assert(sizeof(WaterVertex) == 72, "the water buffer layout is 72 bytes per vertex");

// The water surface of one box: the zero level of the water values, keeping
// only triangles that face away from the planet's centre. Threads as for
// every VisualBlock. All water blocks share one elapsed time for the shader,
// counted from the construction of the newest block; it is atomic because
// blocks are constructed on the terrain update thread.
class WaterBlock : public VisualBlock
{
public:
    // Meshes the block before returning, on the calling thread.
    WaterBlock(const VoxelBox& box, VoxelWorld* world, int step)
        : WaterBlock(box, world, step, Clock::Restart)
    {
    }
    // Main thread when the block was ever uploaded.
    ~WaterBlock() override;

    // Main thread: draws with the water program (an OpenGL program name).
    void draw(GLuint program) override;

    // Whether a triangle with unit normal n faces up enough to be water's top.
    static bool facesUp(const Vector3& up, const Vector3& n);
    // Seconds since the newest water block was constructed, as of the last animate().
    static float elapsedTime();

protected:
    // Blocks made while others are shown (the far level's sea) keep the
    // shared clock running: restarting it would jump every ripple on screen.
    enum class Clock
    {
        Restart,
        Keep
    };
    WaterBlock(const VoxelBox& box, VoxelWorld* world, int step, Clock clock);

    std::unique_ptr<VoxelField> openField(VoxelWorld& world, const VoxelBox& region) override;
    bool acceptTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) override;
    void finishMesh(Mesh& mesh, VoxelField& field) override;
    void buildArrays(Mesh& mesh) override;
    void upload() override;
    void animate(double dt) override;

private:
    void drawSurface(GLuint program);

    // Null when no planet existed at construction; the block then holds no water.
    const Planet* planet;

    // Filled by the build, sent and emptied by upload (lock).
    std::vector<WaterVertex> vertexArray;
    std::vector<std::uint16_t> indexArray;

    // Main thread.
    GpuBuffer vertexBuffer;
    GpuBuffer indexBuffer;
};
