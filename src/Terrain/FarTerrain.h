#pragma once

#include "Graphics/Vector3.h"
#include "Terrain/Mesh.h"
#include "Terrain/VoxelBox.h"
#include "World/FarSampler.h"
#include "World/VoxelPosition.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class Planet;
class TerrainBlock;
class TerrainDataManager;
class VisualBlock;
class WaterBlock;
struct Daylight;

// The whole planet at a coarse level of detail, drawn behind the two rings
// from the ground to orbit: samples every STEP voxels over a cube holding
// every voxel the generator can make ground, meshed by the terrain mesher in
// chunks of CHUNK voxels (four blocks a side, so each block's samples are
// read at once), and the sea's surface where it lies open over the ground
// (under the ground it is hidden, and not meshed). The terrain update thread
// builds it after the rings, a slice at a time between their moves: the
// densities block by block, then the materials of the samples at the
// surface, then the chunk meshes.
// Afterwards it reads again the samples that edits changed and remeshes
// their chunks. The samples come from a FarSampler, never through the block
// cache one block per sample.
//
// Threads:
// - Main thread: construction, destruction, markDirty, update and the
//   render pass's reads of `visible` and isHidden (under the list lock).
// - Any thread: meshBuilt is set before work starts.
// - Terrain update thread: work (tests call it directly).
// The list lock handed to work and update (the terrain's lock) guards
// `visible`, the list of blocks made and the hidden box; `editMutex` guards the edit queue. The samples and
// the chunks belong to the update thread; each block guards its own mesh.
class FarTerrain
{
public:
    static constexpr int STEP = 8;
    static constexpr int CHUNK = 80;

    explicit FarTerrain(TerrainDataManager& manager);
    // Main thread while the OpenGL context exists, once work has stopped.
    ~FarTerrain();
    FarTerrain(const FarTerrain&) = delete;
    FarTerrain& operator=(const FarTerrain&) = delete;

    // Update thread: builds, or catches up with edits, until `budget` has
    // passed, a chunk or a block at a time; false when nothing was left to do.
    bool work(std::mutex& listLock, std::chrono::steady_clock::duration budget);
    bool isBuilt() const { return phase.load() == Phase::Built; }
    // Main thread: an edited voxel. Work reads it again where it is a sample
    // and remeshes the chunks around it where it is a sample or lies on a
    // grid edge (where vertices are placed); other voxels do not show at this
    // resolution.
    void markDirty(int x, int y, int z);
    // Main thread: hands the finished meshes to OpenGL, a few a frame; true
    // once the level is built and every mesh of it handed over.
    bool update(std::mutex& listLock, double dt);

    struct Chunk
    {
        VoxelBox box;
        // Null where the chunk has no ground surface, or no open sea.
        TerrainBlock* block;
        WaterBlock* sea;
    };
    // Under the list lock: chunks with triangles, and whether a chunk is
    // hidden from an eye, inside the box the rings cover (setHidden) or
    // behind the ball of rock inside the planet, which no ground lies below.
    const std::vector<Chunk>& visible() const { return shown; }
    void setHidden(const VoxelBox& box) { hidden = box; }
    bool isHidden(const VoxelBox& box, const Vector3& eye) const;

    // Update thread: the sample kept at a grid point (multiples of STEP).
    FarSampler::Sample sampleAt(int x, int y, int z) const;
    // Bytes of samples and meshes held on the CPU side.
    std::size_t memoryBytes() const;
    // Called on the update thread with every chunk mesh built, the ground's
    // and the sea's, e.g. by tests.
    std::function<void(const VoxelBox& chunk, const Mesh& mesh, bool sea)> meshBuilt;

    // The haze of a viewer `altitude` over the surface of a planet of
    // `radius`: it opens with the view as the viewer rises, so that the far
    // level shows, and still hides the end of what is drawn. `opening` runs
    // from 0 (the rings' haze) to 1 over the first HAZE_SECONDS the level is
    // shown, so the view widens gently rather than at once.
    static void openHaze(Daylight& light, double altitude, double radius, double opening);
    static constexpr double HAZE_SECONDS = 4.0;

private:
    enum class Phase
    {
        Densities,
        Materials,
        Meshes,
        Built
    };
    class GridWorld;
    template <class Block> class ChunkBlock;
    class FarBlock;
    class FarSea;

    std::size_t indexOf(int x, int y, int z) const;
    VoxelBox chunkBox(int chunk) const;
    void sampleBlock(int block);
    bool hasSurface(int chunk) const;
    bool hasOpenSea(int chunk) const;
    void findMaterials(int chunk);
    void mesh(std::mutex& listLock, int chunk);
    void applyEdits(std::mutex& listLock);

    FarSampler sampler;
    const Planet& planet;
    // The grid: `points` samples a side from `origin` on each axis.
    int origin;
    int points;
    int chunks;
    int blocksPerAxis;
    std::vector<std::int8_t> density;
    // Voxel::UNGENERATED_MATERIAL where not read (away from the surface).
    std::vector<std::uint8_t> material;
    std::unique_ptr<GridWorld> world;
    std::vector<std::unique_ptr<FarBlock>> blocks;
    std::vector<std::unique_ptr<FarSea>> seas;
    // The chunks with a surface or open sea, in build order.
    std::vector<int> meshChunks;
    std::atomic<Phase> phase { Phase::Densities };
    std::size_t cursor = 0;

    std::vector<Chunk> shown;
    Vector3 centre;
    double rockRadius;
    // Every block made, for the uploads.
    std::vector<VisualBlock*> made;
    VoxelBox hidden { 0, -1, 0, -1, 0, -1 };

    std::mutex editMutex;
    std::vector<VoxelPosition> edits;
};
