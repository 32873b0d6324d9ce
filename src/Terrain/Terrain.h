#pragma once

#include "Graphics/Vector3.h"
#include "Interface/ConsoleAccessable.h"
#include "Terrain/GridCell.h"
#include "Terrain/TerrainRing.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FarTerrain;
class TerrainBlock;
class VoxelWorld;

// The world meshed around the viewer: a fine ring of 5 × 5 × 5 cells of 12
// voxels sampled every 2 voxels and a coarse ring of 7 × 7 × 7 cells of 40
// voxels sampled every 4, both centred on the viewer's cell. The terrain
// update thread builds every cell on its first pass, then every 10 ms moves
// the cells that fell out of a ring's window to the places that came into
// it, nearest first, meshing each as it goes, and then spends a short slice
// on the far level, if it has one. The main thread uploads the
// blocks, remeshes the cells that edits touched (two terrain and two water
// cells per frame) and answers the "terrain" console commands.
//
// Threads:
// - Main thread: construction, destruction, launch, stop,
//   setViewerPosition, update, rethrowFailure, remeshEdits, markTerrainDirty, markWaterDirty,
//   setWireframe, firstTerrainBlock, handleCommand, and the render pass.
// - Terrain update thread: runPass (also called directly by tests and
//   benchmarks when no thread runs).
// `terrainLock` guards both visible lists and every cell's box, ring
// coordinates and moving flag. `viewerMutex` guards the viewer position.
// The cell lists are written only by the initial build; the main thread
// reads them once `isBuilt()` (an acquire of the flag the build releases).
class Terrain : public ConsoleAccessable
{
public:
    static constexpr int FINE_STEP = 2, FINE_SIZE = 12, FINE_COUNT = 5;
    static constexpr int COARSE_STEP = 4, COARSE_SIZE = 40, COARSE_COUNT = 7;

    // Fills the terrain texture registry. Cells are made by the first pass.
    Terrain(VoxelWorld& world, const Vector3& viewer);
    // Stops the update thread and frees the cells; main thread while the
    // OpenGL context exists, and before the world goes.
    ~Terrain() override;

    // Starts the update thread.
    void launch();
    // Stops and joins the update thread; a pass in progress ends early.
    void stop();
    // One pass of the update thread: the initial build, or the rings
    // following the viewer.
    void runPass();

    // Main thread, after the viewer moved.
    void setViewerPosition(const Vector3& position);
    // Main thread, every frame once the first pass is done: uploads and fades,
    // the world's periodic save, edits. Raises what ended the update thread.
    void update(double dt);
    // Main thread: raises, as a C string, what ended the update thread, if
    // anything did; called every frame, also while the loading screen is up.
    void rethrowFailure();
    // The edit queues: queues the cells whose boxes hold a changed voxel and
    // remeshes at most two terrain and two water cells.
    void remeshEdits();
    // Queues every cell (of either ring) whose box holds the voxel, once.
    void markTerrainDirty(int x, int y, int z);
    void markWaterDirty(int x, int y, int z);
    std::size_t terrainQueueLength() const { return terrainQueue.size(); }
    std::size_t waterQueueLength() const { return waterQueue.size(); }

    void setWireframe(bool on);
    // The first cell's terrain block; null before the first pass.
    TerrainBlock* firstTerrainBlock() const;

    // Set after every pass of the update thread.
    bool passDone() const { return passFinished.load(); }
    bool isBuilt() const { return built.load(std::memory_order_acquire); }
    // Percentage of the cells the initial build has made.
    int progress() const { return buildProgress.load(); }

    // For the render pass: both lists may be read only with terrainLock held.
    std::mutex& lock() { return terrainLock; }
    const std::vector<GridCell*>& fineVisible() const { return fine.visible; }
    const std::vector<GridCell*>& coarseVisible() const { return coarse.visible; }
    // After isBuilt(): every cell, fine ring first.
    const std::vector<std::unique_ptr<GridCell>>& cells() const { return allCells; }

    // Gives the terrain the whole planet at a coarse level, built by the
    // update thread after the rings, a slice a pass; before launch.
    void setFarLevel(std::unique_ptr<FarTerrain> level);
    // Null without one; its lists are read with terrainLock held.
    FarTerrain* farLevel() const { return far.get(); }

    // Reloads the render programs for the "reloadShaders" command; set by the render pass.
    std::function<void()> reloadShaders;
    std::string handleCommand(const std::deque<std::string>& words) override;

private:
    void run();
    void initialBuild();
    void buildRing(TerrainRing& ring, bool isFine, int& made);
    void follow(TerrainRing& ring, const Vector3& viewer);
    void showIfMeshed(TerrainRing& ring, GridCell& cell);
    void markDirty(int x, int y, int z, std::deque<GridCell*>& queue, bool GridCell::*queued);
    void remesh(std::deque<GridCell*>& queue, bool GridCell::*queued, VisualBlock& (*blockOf)(GridCell&));
    Vector3 viewer() const;

    VoxelWorld& world;
    TerrainRing fine;
    TerrainRing coarse;
    std::vector<std::unique_ptr<GridCell>> allCells;
    std::unique_ptr<FarTerrain> far;

    std::mutex terrainLock;
    mutable std::mutex viewerMutex;
    Vector3 viewerPosition;

    // Main thread.
    std::deque<GridCell*> terrainQueue;
    std::deque<GridCell*> waterQueue;

    std::atomic<bool> built { false };
    std::atomic<bool> passFinished { false };
    std::atomic<int> buildProgress { 0 };
    std::atomic<bool> running { true };
    std::mutex wakeMutex;
    std::condition_variable wake;
    std::thread thread;
    std::mutex failureMutex;
    // What ended the update thread, raised on the main thread; empty while it runs.
    std::string failure;
};
