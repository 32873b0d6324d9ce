#pragma once

#include "Graphics/GpuBuffer.h"
#include "Terrain/Vegetation.h"
#include "Terrain/VisualBlock.h"

#include <atomic>
#include <cstdint>
#include <vector>

// The ground of one box: its mesh with surface normals and material blends,
// and the grass standing on it. Threads as for every VisualBlock; the grass
// points are kept by the build (guarded like the mesh it came from), the
// arrays for the upload are guarded by the block lock.
class TerrainBlock : public VisualBlock
{
public:
    // How far beyond its box a voxel still shapes the block: the normals of
    // the vertices on its faces take central differences across them. An
    // edit that far out must remesh the block too, or the two cells on
    // either side of a face light and texture it differently.
    static constexpr int NORMAL_REACH = 1;

    // Meshes the block before returning, on the calling thread.
    TerrainBlock(const VoxelBox& box, VoxelWorld* world, int step);
    // Main thread when the block was ever uploaded (it frees its OpenGL objects).
    ~TerrainBlock() override;

    // The program is not used: the terrain program is bound by the render pass.
    void draw(GLuint program) override;
    // Main thread, inside the vegetation program.
    void drawVegetation();

    // Grass points of the last build.
    int vegetationPointCount() const { return grassPoints.load(); }
    // Main thread: what the buffers hold since the last upload.
    bool hasVegetationBuffer() const { return vegetationBuffer.name != 0; }
    int vegetationVertexCount() const { return vegetationBuffer.count; }

protected:
    std::unique_ptr<VoxelField> openField(VoxelWorld& world, const VoxelBox& region) override;
    void finishMesh(Mesh& mesh, VoxelField& field) override;
    void buildArrays(Mesh& mesh) override;
    void upload() override;

private:
    // Kept by the build (buildMutex).
    std::vector<VegetationPoint> vegetationPoints;
    std::vector<VegetationVertex> builtVegetation;
    std::atomic<int> grassPoints { 0 };

    // Filled by the build, sent and emptied by upload (lock).
    std::vector<MeshVertex> vertexArray;
    std::vector<std::uint16_t> indexArray;
    std::vector<VegetationVertex> vegetationArray;

    // Main thread.
    GpuBuffer vertexBuffer;
    GpuBuffer indexBuffer;
    GLuint vertexArrayObject = 0;
    GpuBuffer vegetationBuffer;
};
