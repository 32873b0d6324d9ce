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

namespace {

const auto PASS_PAUSE = std::chrono::milliseconds(10);
// The far level's share of a pass: a ring move waits for at most this.
const auto FAR_SLICE = std::chrono::milliseconds(15);
constexpr int EDITS_PER_FRAME = 2;

void removeFrom(std::vector<GridCell*>& list, GridCell* cell)
{
    list.erase(std::remove(list.begin(), list.end(), cell), list.end());
}

VisualBlock& terrainOf(GridCell& cell)
{
    return *cell.terrain;
}

VisualBlock& waterOf(GridCell& cell)
{
    return *cell.water;
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
}

void Terrain::stop()
{
    {
        std::lock_guard<std::mutex> guard(wakeMutex);
        running = false;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void Terrain::run()
{
    try {
        while (running) {
            runPass();
            std::unique_lock<std::mutex> sleeping(wakeMutex);
            wake.wait_for(sleeping, PASS_PAUSE, [this] { return !running; });
        }
    } catch (const char* message) {
        std::lock_guard<std::mutex> guard(failureMutex);
        failure = message;
    } catch (const std::exception& error) {
        std::lock_guard<std::mutex> guard(failureMutex);
        failure = error.what();
    }
    // Reported by rethrowFailure(); the rings stay as they are.
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
            const VoxelBox low = coarse.boxOf({ coarse.centre[0] - half, coarse.centre[1] - half, coarse.centre[2] - half });
            const VoxelBox high = coarse.boxOf({ coarse.centre[0] + half, coarse.centre[1] + half, coarse.centre[2] + half });
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
    for (const auto& cell : allCells) {
        cell->terrain->update(dt);
        cell->water->update(dt);
    }
    if (far)
        far->update(terrainLock, dt);
    world.saveTick(dt);
    remeshEdits();
}

void Terrain::remeshEdits()
{
    VoxelPosition p;
    while (world.popChangedVoxel(p))
        markTerrainDirty(p.x, p.y, p.z);
    while (world.popChangedWater(p))
        markWaterDirty(p.x, p.y, p.z);
    remesh(terrainQueue, &GridCell::terrainQueued, terrainOf);
    remesh(waterQueue, &GridCell::waterQueued, waterOf);
}

void Terrain::markTerrainDirty(int x, int y, int z)
{
    if (far)
        far->markDirty(x, y, z);
    markDirty(x, y, z, terrainQueue, &GridCell::terrainQueued);
}

void Terrain::markWaterDirty(int x, int y, int z)
{
    markDirty(x, y, z, waterQueue, &GridCell::waterQueued);
}

void Terrain::markDirty(int x, int y, int z, std::deque<GridCell*>& queue, bool GridCell::*queued)
{
    if (!isBuilt())
        return;
    std::lock_guard<std::mutex> guard(terrainLock);
    for (const auto& cell : allCells)
        if (!(cell.get()->*queued) && cell->box.contains(x, y, z)) {
            cell.get()->*queued = true;
            queue.push_back(cell.get());
        }
}

void Terrain::remesh(std::deque<GridCell*>& queue, bool GridCell::*queued, VisualBlock& (*blockOf)(GridCell&))
{
    int done = 0;
    for (auto it = queue.begin(); it != queue.end() && done < EDITS_PER_FRAME;) {
        GridCell* cell = *it;
        bool moving;
        {
            std::lock_guard<std::mutex> guard(terrainLock);
            moving = cell->moving;
        }
        // A cell the update thread is moving or meshing keeps its place in
        // the queue and is remeshed once the update thread is done with it.
        if (moving || !blockOf(*cell).tryRebuildForEdit()) {
            ++it;
            continue;
        }
        it = queue.erase(it);
        cell->*queued = false;
        ++done;
        std::lock_guard<std::mutex> guard(terrainLock);
        // A cell that started moving meanwhile is shown by the update thread when placed.
        if (!cell->moving)
            showIfMeshed(cell->fine ? fine : coarse, *cell);
    }
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
