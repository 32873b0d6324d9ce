#include "Terrain/Terrain.h"

#include "Graphics/Camera.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Interface/Console.h"
#include "Terrain/FarTerrain.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/VoxelWorld.h"
#include "Terrain/WaterBlock.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <utility>

namespace {

const auto PASS_PAUSE = std::chrono::milliseconds(10);
// The far level's share of a pass: a ring move waits for at most this.
const auto FAR_SLICE = std::chrono::milliseconds(15);
// How often the edit worker looks again while only cells being moved wait.
const auto MOVING_CELL_RETRY = std::chrono::milliseconds(2);
// The longest a frame waits for the edit worker: idle time, not work, and
// only when the worker fell behind.
const auto EDIT_WAIT = std::chrono::milliseconds(2);

void removeFrom(std::vector<GridCell*>& list, GridCell* cell)
{
    list.erase(std::remove(list.begin(), list.end(), cell), list.end());
}

bool GridCell::*queueFlag(bool water)
{
    return water ? &GridCell::waterQueued : &GridCell::terrainQueued;
}

} // namespace

Terrain::Terrain(VoxelWorld& world, const Vector3& viewer)
    : ConsoleAccessable("terrain")
    , world(world)
    , fine(FINE_STEP, FINE_SIZE, FINE_COUNT)
    , coarse(COARSE_STEP, COARSE_SIZE, COARSE_COUNT)
    , viewerPosition(viewer)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    Console::getInstance().registerHandler(this);
}

Terrain::~Terrain()
{
    stop();
}

void Terrain::launch()
{
    running = true;
    thread = std::thread(&Terrain::run, this);
    editThread = std::thread(&Terrain::runEdits, this);
}

void Terrain::stop()
{
    {
        std::lock_guard<std::mutex> guard(wakeMutex);
        running = false;
    }
    wake.notify_all();
    {
        // A worker between its check of `running` and its wait holds the lock.
        std::lock_guard<std::mutex> guard(editMutex);
    }
    editWake.notify_all();
    for (std::thread* worker : { &thread, &editThread })
        if (worker->joinable())
            worker->join();
}

template <class Loop> void Terrain::reportingFailure(Loop loop)
{
    try {
        loop();
    } catch (const char* message) {
        std::lock_guard<std::mutex> guard(failureMutex);
        failure = message;
    } catch (const std::exception& error) {
        std::lock_guard<std::mutex> guard(failureMutex);
        failure = error.what();
    }
    // Reported by rethrowFailure(); the rings stay as they are.
}

void Terrain::run()
{
    reportingFailure([this] {
        while (running) {
            runPass();
            std::unique_lock<std::mutex> sleeping(wakeMutex);
            wake.wait_for(sleeping, PASS_PAUSE, [this] { return !running; });
        }
    });
}

void Terrain::runEdits()
{
    reportingFailure([this] {
        while (running) {
            if (meshNextEdit())
                continue;
            std::unique_lock<std::mutex> guard(editMutex);
            auto woken = [this] { return !running || editsAdded; };
            if (edits.empty())
                editWake.wait(guard, woken);
            else
                editWake.wait_for(guard, MOVING_CELL_RETRY, woken);
            editsAdded = false;
        }
    });
}

void Terrain::runPass()
{
    if (!isBuilt()) {
        initialBuild();
    } else {
        const Vector3 at = viewer();
        follow(fine, at);
        follow(coarse, at);
        if (far) {
            const int half = coarse.count / 2;
            const VoxelBox low
                = coarse.boxOf({ coarse.centre[0] - half, coarse.centre[1] - half, coarse.centre[2] - half });
            const VoxelBox high
                = coarse.boxOf({ coarse.centre[0] + half, coarse.centre[1] + half, coarse.centre[2] + half });
            {
                std::lock_guard<std::mutex> guard(terrainLock);
                far->setHidden({ low.x0, high.x1, low.y0, high.y1, low.z0, high.z1 });
            }
            far->work(terrainLock, FAR_SLICE);
        }
    }
    passFinished = true;
}

void Terrain::setFarLevel(std::unique_ptr<FarTerrain> level)
{
    far = std::move(level);
}

void Terrain::setViewerPosition(const Vector3& position)
{
    std::lock_guard<std::mutex> guard(viewerMutex);
    viewerPosition = position;
}

Vector3 Terrain::viewer() const
{
    std::lock_guard<std::mutex> guard(viewerMutex);
    return viewerPosition;
}

void Terrain::initialBuild()
{
    const Vector3 at = viewer();
    fine.centre = fine.cellAt(at);
    coarse.centre = coarse.cellAt(at);
    int made = 0;
    buildRing(fine, true, made);
    buildRing(coarse, false, made);
    if (running)
        built.store(true, std::memory_order_release);
}

void Terrain::buildRing(TerrainRing& ring, bool isFine, int& made)
{
    const int half = ring.count / 2;
    const int total = FINE_COUNT * FINE_COUNT * FINE_COUNT + COARSE_COUNT * COARSE_COUNT * COARSE_COUNT;
    for (int a = ring.centre[0] - half; a <= ring.centre[0] + half; ++a)
        for (int b = ring.centre[1] - half; b <= ring.centre[1] + half; ++b)
            for (int c = ring.centre[2] - half; c <= ring.centre[2] + half; ++c) {
                if (!running)
                    return;
                auto cell = std::make_unique<GridCell>(ring.boxOf({ a, b, c }), &world, ring.step, isFine);
                GridCell* placed = cell.get();
                {
                    std::lock_guard<std::mutex> guard(terrainLock);
                    placed->setRingCoordinates(a, b, c);
                    if (placed->hasTriangles())
                        ring.visible.push_back(placed);
                }
                ring.cells.push_back(placed);
                allCells.push_back(std::move(cell));
                buildProgress = 100 * ++made / total;
            }
}

void Terrain::follow(TerrainRing& ring, const Vector3& at)
{
    const TerrainRing::Coordinates centre = ring.cellAt(at);
    if (centre == ring.centre)
        return;
    ring.centre = centre;

    const int n = ring.count;
    const int half = n / 2;
    std::vector<bool> occupied(static_cast<std::size_t>(n) * n * n, false);
    auto slotIndex = [&](const TerrainRing::Coordinates& offset) {
        return (static_cast<std::size_t>(offset[0] + half) * n + (offset[1] + half)) * n + (offset[2] + half);
    };
    std::vector<GridCell*> freeCells;
    {
        std::lock_guard<std::mutex> guard(terrainLock);
        for (GridCell* cell : ring.cells) {
            const TerrainRing::Coordinates at { cell->ringX, cell->ringY, cell->ringZ };
            if (ring.inWindow(centre, at)) {
                occupied[slotIndex({ at[0] - centre[0], at[1] - centre[1], at[2] - centre[2] })] = true;
            } else {
                freeCells.push_back(cell);
                cell->moving = true;
                removeFrom(ring.visible, cell);
            }
        }
    }

    std::size_t next = 0;
    for (const TerrainRing::Slot& slot : ring.refillOrder()) {
        if (occupied[slotIndex(slot.offset)])
            continue;
        if (next >= freeCells.size()) {
            std::cout << slot.face << next << " " << freeCells.size() << "\n";
            throw "Error! I > FVB.SIZE";
        }
        if (!running)
            return;
        GridCell* cell = freeCells[next++];
        const TerrainRing::Coordinates place { centre[0] + slot.offset[0], centre[1] + slot.offset[1],
            centre[2] + slot.offset[2] };
        const VoxelBox box = ring.boxOf(place);
        {
            std::lock_guard<std::mutex> guard(terrainLock);
            cell->setRingCoordinates(place[0], place[1], place[2]);
            cell->box = box;
        }
        if (cell->terrain->setRange(box, ring.step))
            cell->water->setRange(box, ring.step);
        std::lock_guard<std::mutex> guard(terrainLock);
        cell->moving = false;
        showIfMeshed(ring, *cell);
        occupied[slotIndex(slot.offset)] = true;
    }
}

void Terrain::showIfMeshed(TerrainRing& ring, GridCell& cell)
{
    // A cell remeshed for an edit while it started moving is shown by the
    // update thread once placed.
    if (cell.moving)
        return;
    removeFrom(ring.visible, &cell);
    if (cell.hasTriangles())
        ring.visible.push_back(&cell);
}

void Terrain::rethrowFailure()
{
    std::lock_guard<std::mutex> guard(failureMutex);
    if (!failure.empty())
        throw failure.c_str();
}

void Terrain::update(double dt)
{
    rethrowFailure();
    if (!isBuilt())
        return;
    awaitEdits();
    for (const auto& cell : allCells) {
        cell->terrain->update(dt);
        cell->water->update(dt);
    }
    // Said once, when the haze has widened: from then on the planet shows whole.
    if (far && far->update(terrainLock, dt) && farOpening < 1.0) {
        farOpening = std::min(farOpening + dt / FarTerrain::HAZE_SECONDS, 1.0);
        if (farOpening == 1.0)
            std::cout << "Far terrain shown." << std::endl;
    }
    world.saveTick(dt);
    queueEdits();
}

void Terrain::queueEdits()
{
    std::vector<GridCell*> edited;
    {
        std::lock_guard<std::mutex> guard(editMutex);
        edited.swap(editedUnshown);
    }
    if (!edited.empty()) {
        std::lock_guard<std::mutex> guard(terrainLock);
        for (GridCell* cell : edited)
            showIfMeshed(cell->fine ? fine : coarse, *cell);
    }
    VoxelPosition p;
    while (world.popChangedVoxel(p))
        markTerrainDirty(p.x, p.y, p.z);
    while (world.popChangedWater(p))
        markWaterDirty(p.x, p.y, p.z);
}

void Terrain::markTerrainDirty(int x, int y, int z)
{
    if (far)
        far->markDirty(x, y, z);
    markDirty(x, y, z, false);
}

void Terrain::markWaterDirty(int x, int y, int z)
{
    markDirty(x, y, z, true);
}

void Terrain::markDirty(int x, int y, int z, bool water)
{
    if (!isBuilt())
        return;
    // The ground's vertex normals read one voxel beyond a cell's box.
    const int reach = water ? 0 : TerrainBlock::NORMAL_REACH;
    bool added = false;
    {
        std::lock_guard<std::mutex> editGuard(editMutex);
        std::lock_guard<std::mutex> guard(terrainLock);
        for (const auto& cell : allCells)
            if (!(cell.get()->*queueFlag(water)) && cell->box.grown(reach).contains(x, y, z)) {
                cell.get()->*queueFlag(water) = true;
                edits.push_back({ cell.get(), water });
                ++(cell->fine ? fineEdits : coarseEdits).queued;
                added = true;
            }
        editsAdded = editsAdded || added;
    }
    if (added)
        editWake.notify_one();
}

bool Terrain::takeEdit(EditJob& job)
{
    for (const bool fineRing : { true, false })
        for (auto it = edits.begin(); it != edits.end(); ++it)
            // A cell the update thread is moving keeps its place in the queue
            // and is remeshed once it is placed.
            if (it->cell->fine == fineRing && !it->cell->moving) {
                job = *it;
                edits.erase(it);
                return true;
            }
    return false;
}

bool Terrain::meshNextEdit()
{
    EditJob job {};
    {
        std::lock_guard<std::mutex> guard(editMutex);
        if (!takeEdit(job))
            return false;
        // Cleared before the build reads any voxel, so that an edit arriving
        // during the build queues the cell again.
        job.cell->*queueFlag(job.water) = false;
    }
    GridCell& cell = *job.cell;
    if (job.water)
        cell.water->rebuildForEdit();
    else
        cell.terrain->rebuildForEdit();
    bool shown = false;
    {
        std::unique_lock<std::mutex> guard(terrainLock, std::try_to_lock);
        if (guard.owns_lock()) {
            showIfMeshed(cell.fine ? fine : coarse, cell);
            shown = true;
        }
    }
    std::lock_guard<std::mutex> guard(editMutex);
    if (!shown)
        editedUnshown.push_back(&cell);
    ++(cell.fine ? fineEdits : coarseEdits).meshed;
    editDone.notify_all();
    return true;
}

void Terrain::awaitEdits()
{
    if (!editThread.joinable())
        return;
    std::unique_lock<std::mutex> guard(editMutex);
    const long coarseTarget = std::exchange(coarseQueuedBefore, coarseEdits.queued);
    auto handedOver = [this](const EditCount& count, bool fineRing, long target) {
        const long waitingForMoves = std::count_if(edits.begin(), edits.end(),
            [fineRing](const EditJob& job) { return job.cell->fine == fineRing && job.cell->moving; });
        return count.meshed + waitingForMoves >= target;
    };
    // Only the main thread queues cells, so none is added while it waits.
    editDone.wait_for(guard, EDIT_WAIT, [&] {
        return handedOver(fineEdits, true, fineEdits.queued) && handedOver(coarseEdits, false, coarseTarget);
    });
}

long Terrain::editsWaiting() const
{
    std::lock_guard<std::mutex> guard(editMutex);
    return fineEdits.queued - fineEdits.meshed + coarseEdits.queued - coarseEdits.meshed;
}

Terrain::EditCount Terrain::editCount(bool fineRing) const
{
    std::lock_guard<std::mutex> guard(editMutex);
    return fineRing ? fineEdits : coarseEdits;
}

void Terrain::setWireframe(bool on)
{
    if (!isBuilt())
        return;
    for (const auto& cell : allCells) {
        cell->terrain->wireframe = on;
        cell->water->wireframe = on;
    }
}

TerrainBlock* Terrain::firstTerrainBlock() const
{
    return isBuilt() && !allCells.empty() ? allCells.front()->terrain.get() : nullptr;
}

std::string Terrain::handleCommand(const std::deque<std::string>& words)
{
    Camera::getInstance();
    if (words.empty())
        return "Terrain commands: \n reloadShaders \n addModel";
    if (words.front() == "reloadShaders") {
        if (reloadShaders)
            reloadShaders();
        return "Shaders reloaded.";
    }
    return "Terrain: unknown command: \"" + words.front() + "\"";
}
