#pragma once

#include "Graphics/GpuBuffer.h"
#include "Terrain/Vegetation.h"
#include "Terrain/VisualBlock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// The ground of one box: its mesh with surface normals and material blends,
// and the grass standing on it, as dense on a coarse mesh as on a fine one.
// The grass is kept in patches, the cubes the fine ring's cells cover, so
// that a coarse block can leave out its grass where the fine ring shows its
// own. Threads as for every VisualBlock; the arrays for the upload are
// guarded by the block lock.
class TerrainBlock : public VisualBlock
{
public:
    // A cube of Terrain::FINE_SIZE voxels per axis, by the fine ring's cell
    // coordinates of its lowest corner.
    using Patch = std::array<int, 3>;
    static Patch patchOf(const Vector3& p);

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
    // Main thread, inside the vegetation program: the grass but for that of
    // the patches `hidden` names; returns whether any was drawn.
    bool drawVegetation(const std::function<bool(const Patch&)>& hidden = nullptr);

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
    // The vertices of one patch's quads, which lie together in the buffer.
    struct GrassRun
    {
        Patch patch;
        int first;
        int count;
    };

    // Kept by the build (buildMutex).
    std::vector<VegetationVertex> builtVegetation;
    std::vector<GrassRun> builtRuns;
    std::atomic<int> grassPoints { 0 };

    // Filled by the build, sent and emptied by upload (lock).
    std::vector<MeshVertex> vertexArray;
    std::vector<std::uint16_t> indexArray;
    std::vector<VegetationVertex> vegetationArray;
    std::vector<GrassRun> runArray;

    // Main thread.
    GpuBuffer vertexBuffer;
    GpuBuffer indexBuffer;
    GLuint vertexArrayObject = 0;
    GpuBuffer vegetationBuffer;
    std::vector<GrassRun> grassRuns;
};
