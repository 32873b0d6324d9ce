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
// blocks, queues the cells that edits touched and answers the "terrain"
// console commands. The edit worker remeshes the queued cells, fine ring
// first, as soon as they are queued: queued right after the tools ran, a fine
// cell is meshed while its frame renders and uploaded by the next update.
//
// Threads:
// - Main thread: construction, destruction, launch, stop,
//   setViewerPosition, update, awaitEdits, rethrowFailure, queueEdits,
//   markTerrainDirty, markWaterDirty, setWireframe, firstTerrainBlock,
//   handleCommand, and the render pass. editsWaiting and editCount may be
//   called from any thread.
// - Terrain update thread: runPass (also called directly by tests and
//   benchmarks when no thread runs).
// - Edit worker: meshNextEdit (likewise).
// `terrainLock` guards both visible lists and every cell's box, ring
// coordinates and moving flag. `editMutex` guards the edit queue, the cells'
// queue flags, the edit counts and the cells left to show; it is taken
// before `terrainLock` when both are held. The edit worker never waits for
// `terrainLock`, which the render pass holds while it draws: a remeshed cell
// it cannot show at once is shown by the main thread's next queueEdits.
// `viewerMutex` guards the viewer position.
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

    // Starts the update thread and the edit worker.
    void launch();
    // Stops and joins both; a pass in progress ends early.
    void stop();
    // One pass of the update thread: the initial build, or the rings
    // following the viewer.
    void runPass();

    // Main thread, after the viewer moved.
    void setViewerPosition(const Vector3& position);
    // Main thread, every frame once the first pass is done: the wait for
    // edits, uploads and fades, the world's periodic save, edits. Raises
    // what ended a worker thread.
    void update(double dt);
    // Main thread, before the uploads: while the edit worker runs, waits at
    // most 2 ms for the fine-ring cells queued so far and the coarse-ring
    // cells queued before the previous call (but cells being moved) to be
    // handed over, so that an edit shows in the next frame, or the one after
    // in the coarse ring, also when the worker was slow to get a core.
    void awaitEdits();
    // Main thread: raises, as a C string, what ended a worker thread, if
    // anything did; called every frame, also while the loading screen is up.
    void rethrowFailure();
    // Shows or hides the cells the edit worker remeshed but could not show,
    // pops the world's change queues into the edit queue and wakes the edit
    // worker. The game calls it right after the tools, and update() again.
    void queueEdits();
    // Queues every cell (of either ring) whose box holds the voxel, for the
    // ground also the cells whose normals read it, unless it is waiting
    // already; a cell being meshed is queued again.
    void markTerrainDirty(int x, int y, int z);
    void markWaterDirty(int x, int y, int z);
    // The edit worker's step: remeshes the first queued cell of the fine
    // ring, else of the coarse ring, that the update thread is not moving,
    // and shows or hides it; false when there is none.
    bool meshNextEdit();
    // Cells queued for edits and not yet remeshed, also the one being meshed.
    long editsWaiting() const;
    // Cells of a ring queued for edits and remeshed so far. Apart from cells
    // the update thread is moving, which wait, a ring's cells are remeshed in
    // queue order: once `meshed` reaches an earlier `queued`, everything
    // queued until then is handed over, and the next update uploads it.
    struct EditCount
    {
        long queued = 0;
        long meshed = 0;
    };
    EditCount editCount(bool fine) const;

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
    // Main thread: how far the haze has widened for the far level, 0 until
    // it is built and uploaded, then up to 1 over FarTerrain::HAZE_SECONDS.
    double farHazeOpening() const { return farOpening; }

    // Reloads the render programs for the "reloadShaders" command; set by the render pass.
    std::function<void()> reloadShaders;
    std::string handleCommand(const std::deque<std::string>& words) override;

private:
    struct EditJob
    {
        GridCell* cell;
        bool water;
    };

    void run();
    void runEdits();
    // Runs a worker's loop, handing what ends it to rethrowFailure().
    template <class Loop> void reportingFailure(Loop loop);
    void initialBuild();
    void buildRing(TerrainRing& ring, bool isFine, int& made);
    void follow(TerrainRing& ring, const Vector3& viewer);
    void showIfMeshed(TerrainRing& ring, GridCell& cell);
    void markDirty(int x, int y, int z, bool water);
    bool takeEdit(EditJob& job);
    Vector3 viewer() const;

    VoxelWorld& world;
    TerrainRing fine;
    TerrainRing coarse;
    std::vector<std::unique_ptr<GridCell>> allCells;
    std::unique_ptr<FarTerrain> far;
    // Main thread: see farHazeOpening.
    double farOpening = 0.0;

    std::mutex terrainLock;
    mutable std::mutex viewerMutex;
    Vector3 viewerPosition;

    mutable std::mutex editMutex;
    std::condition_variable editWake;
    // Notified whenever the edit worker has handed a cell over.
    std::condition_variable editDone;
    std::deque<EditJob> edits;
    // Set when a cell was queued since the edit worker last looked.
    bool editsAdded = false;
    EditCount fineEdits;
    EditCount coarseEdits;
    // Main thread: the coarse cells queued by the previous awaitEdits().
    long coarseQueuedBefore = 0;
    std::vector<GridCell*> editedUnshown;
    std::thread editThread;

    std::atomic<bool> built { false };
    std::atomic<bool> passFinished { false };
    std::atomic<int> buildProgress { 0 };
    std::atomic<bool> running { true };
    std::mutex wakeMutex;
    std::condition_variable wake;
    std::thread thread;
    std::mutex failureMutex;
    // What ended a worker thread, raised on the main thread; empty while both run.
    std::string failure;
};
