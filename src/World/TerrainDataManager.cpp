#include "World/TerrainDataManager.h"

#include "World/CellCorners.h"
#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/WaterVox.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>

std::atomic<TerrainDataManager*> TerrainDataManager::instance { nullptr };

namespace {

constexpr double PLANET_RADIUS = 500.0;
constexpr int FLOW_STEPS_PER_PASS = 10;
constexpr auto FLOW_PASS_INTERVAL = std::chrono::milliseconds(16);
constexpr double WORLD_FILE_INTERVAL = 10.0;
constexpr int NODES_SAVED_PER_TICK = 2;
constexpr double NORMAL_EPSILON = 0.00001;

// Coordinates beyond this are no voxel position (and would overflow an int).
bool inVoxelRange(double v)
{
    return std::isfinite(v) && std::fabs(v) < 2.0e9;
}

bool inVoxelRange(const Vector3& p)
{
    return inVoxelRange(p.x) && inVoxelRange(p.y) && inVoxelRange(p.z);
}

Vector3 normalisedIfLong(const Vector3& v)
{
    const double length = v.length();
    return length >= NORMAL_EPSILON ? v / length : v;
}

// Reads voxel densities, keeping the last block pinned so that the many
// reads of one query inside one block need a single lookup.
class DensityReader
{
public:
    explicit DensityReader(TerrainDataManager& manager)
        : manager(manager)
    {
    }

    int operator()(int x, int y, int z)
    {
        const int bx = datablock::blockCoordinate(x);
        const int by = datablock::blockCoordinate(y);
        const int bz = datablock::blockCoordinate(z);
        if (!node || node->tdb->bx() != bx || node->tdb->by() != by || node->tdb->bz() != bz) {
            // Let go first, so the block just left may be the one reused for the next.
            node.reset();
            node = manager.getNode(bx, by, bz);
        }
        return node->tdb->getVoxel(x, y, z)->density();
    }

private:
    TerrainDataManager& manager;
    NodePin node;
};

// The 26 neighbours of a voxel, dx outermost, then dy, then dz.
template <typename Visit> void forEachNeighbour(const VoxelPosition& p, Visit visit)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dz = -1; dz <= 1; ++dz)
                if (dx || dy || dz)
                    visit(VoxelPosition { p.x + dx, p.y + dy, p.z + dz });
}

} // namespace

TerrainDataManager::TerrainDataManager(double* userPosition, const std::string& worldName, int seed1,
    int seed2, int capacity, const std::string& terrainRoot, bool waterThread)
    : planetObject(std::make_unique<Planet>(PLANET_RADIUS))
    , folder(terrainRoot, worldName)
    , userPosition(userPosition)
    , maxNodes(capacity)
    // About sqrt(capacity) buckets, and at least one.
    , hashTable(static_cast<std::size_t>(std::max(1.0, std::floor(std::sqrt(std::max(capacity, 1))))))
{
    WorldSettings world;
    if (folder.readWorldFile(world)) {
        if (world.seed2 == 0) {
            std::cout << "World file " << folder.worldFilePath()
                      << " has no usable seed2 (0); generating with seeds " << seed1 << " and " << seed2
                      << " instead\n";
            world.seed1 = seed1;
            world.seed2 = seed2;
        }
        worldSeed1 = world.seed1;
        worldSeed2 = world.seed2;
        generator = std::make_unique<DatablockAnalyzer>(worldSeed1, worldSeed2);
        if (usableStart(world)) {
            userPosition[0] = world.user.x;
            userPosition[1] = world.user.y;
            userPosition[2] = world.user.z;
        } else {
            std::cout << "World file " << folder.worldFilePath()
                      << " holds no usable position; placing you on the surface\n";
            placeOnSurface();
        }
        planetObject->setSunAngle(world.sunAngle);
        planetObject->setDayLength(world.dayLength);
        // A world copied without its empty folders must still be able to save.
        folder.createFolders();
    } else {
        worldSeed1 = seed1;
        worldSeed2 = seed2;
        generator = std::make_unique<DatablockAnalyzer>(worldSeed1, worldSeed2);
        placeOnSurface();
        std::cout << folder.path() << "\n";
        folder.createFolders();
        saveWorldFile();
    }

    instance = this;
    running = true;
    if (waterThread)
        thread = std::thread(&TerrainDataManager::run, this);
}

void TerrainDataManager::placeOnSurface()
{
    const Vector3 start = findSurface({ userPosition[0], userPosition[1], userPosition[2] });
    userPosition[0] = start.x;
    userPosition[1] = start.y;
    userPosition[2] = start.z;
}

bool TerrainDataManager::usableStart(const WorldSettings& world)
{
    // A number the world file could not read comes back as 2147483647, past
    // the voxel range like any position no one could have stood at.
    const Vector3& p = world.user;
    if (!world.userStored || !inVoxelRange(p))
        return false;
    // Slightly inside the ground is where walking leaves a player; buried
    // under more ground than a body's height is no place to start from.
    const Vector3 up = planetObject->upAt(p);
    return !(sampleDensity(p) > 0.0 && sampleDensity(p + up * 2.0) > 0.0);
}

TerrainDataManager::~TerrainDataManager()
{
    saveWorldFile();
    running = false;
    wake.notify_all();
    if (thread.joinable())
        thread.join();

    // Edits the renderer never consumed still mark their blocks and clear their water.
    VoxelPosition position;
    while (popChangedVoxel(position)) { }
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& node : nodes)
            saveNode(*node);
    }
    TerrainDataManager* self = this;
    instance.compare_exchange_strong(self, nullptr);
}

TerrainDataManager& TerrainDataManager::getInstance()
{
    TerrainDataManager* manager = instance.load();
    if (!manager) {
        std::cout << "FATAL ERROR: TDM getInstance() called before it's initialized!\n";
        throw "FATAL EXCEPTION";
    }
    return *manager;
}

NodePin TerrainDataManager::getNode(int bx, int by, int bz)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (DataNode* found = lookup(bx, by, bz)) {
        moveToHead(found);
        return NodePin(nodes[found->index]);
    }

    const std::string file = folder.blockFile(bx, by, bz);
    if (count < maxNodes)
        return createNode(bx, by, bz, file);
    while (DataNode* victim = pickVictim()) {
        // Its old contents reach its old files before it takes the new coordinates.
        if (!saveNode(*victim)) {
            victim->saveFailed = true;
            continue;
        }
        std::vector<DataNode*>& oldBucket = hashTable[bucketIndex(victim->tdb->bx())];
        oldBucket.erase(std::find(oldBucket.begin(), oldBucket.end(), victim));
        victim->tdb->reinit(bx, by, bz, file);
        victim->wdb->reinit(victim->tdb.get(), bx, by, bz, file + ".w");
        hashTable[bucketIndex(bx)].push_back(victim);
        moveToHead(victim);
        return NodePin(nodes[victim->index]);
    }
    // Every node is held by a handle or could not be saved: grow rather than
    // wait for a handle this very thread may hold, or lose a block's data.
    return createNode(bx, by, bz, file);
}

NodePin TerrainDataManager::getNodeAt(int x, int y, int z)
{
    return getNode(
        datablock::blockCoordinate(x), datablock::blockCoordinate(y), datablock::blockCoordinate(z));
}

NodePin TerrainDataManager::findNode(int bx, int by, int bz)
{
    std::lock_guard<std::mutex> lock(mutex);
    DataNode* found = lookup(bx, by, bz);
    if (!found)
        return {};
    moveToHead(found);
    return NodePin(nodes[found->index]);
}

int TerrainDataManager::nodeCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return count;
}

DataNode* TerrainDataManager::lookup(int bx, int by, int bz) const
{
    for (DataNode* node : hashTable[bucketIndex(bx)])
        if (node->tdb->bx() == bx && node->tdb->by() == by && node->tdb->bz() == bz)
            return node;
    return nullptr;
}

std::size_t TerrainDataManager::bucketIndex(int bx) const
{
    return static_cast<std::size_t>(std::llabs(static_cast<long long>(bx))) % hashTable.size();
}

void TerrainDataManager::moveToHead(DataNode* node)
{
    if (node == head)
        return;
    if (node->linked) {
        node->prev->next = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            tail = node->prev;
    } else {
        node->linked = true;
        ++count;
    }
    node->prev = nullptr;
    node->next = head;
    if (head)
        head->prev = node;
    head = node;
    if (!tail)
        tail = node;
}

DataNode* TerrainDataManager::pickVictim() const
{
    for (DataNode* node = tail; node; node = node->prev)
        if (!node->saveFailed && !node->isPinned())
            return node;
    return nullptr;
}

NodePin TerrainDataManager::createNode(int bx, int by, int bz, const std::string& file)
{
    auto node = std::make_shared<DataNode>();
    node->tdb = std::make_unique<datablock>(generator.get(), file, bx, by, bz);
    node->wdb = std::make_unique<WaterDatablock>(node->tdb.get(), bx, by, bz, file + ".w");
    node->index = nodes.size();
    nodes.push_back(node);
    hashTable[bucketIndex(bx)].push_back(node.get());
    moveToHead(node.get());
    return NodePin(node);
}

bool TerrainDataManager::saveNode(DataNode& node)
{
    bool saved = true;
    auto attempt = [&](auto& block) {
        try {
            block.saveIfModified();
        } catch (const char* message) {
            recordFailure(message);
            saved = false;
        }
    };
    attempt(*node.tdb);
    attempt(*node.wdb);
    return saved;
}

void TerrainDataManager::recordFailure(const char* message)
{
    const char* none = nullptr;
    failure.compare_exchange_strong(none, message);
}

void TerrainDataManager::rethrowFailure() const
{
    if (const char* message = failure.load())
        throw message;
}

void TerrainDataManager::queueChangedVoxel(const VoxelPosition& position, bool unlessQueued)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    int& queued = queuedVoxels[position];
    if (unlessQueued && queued > 0)
        return;
    ++queued;
    changedVoxels.push_back(position);
}

void TerrainDataManager::queueWaterChange(int x, int y, int z)
{
    const VoxelPosition position { x, y, z };
    std::lock_guard<std::mutex> lock(queueMutex);
    if (queuedWater.insert(position).second)
        changedWater.push_back(position);
}

bool TerrainDataManager::popChangedVoxel(VoxelPosition& out)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (changedVoxels.empty())
            return false;
        out = changedVoxels.front();
        changedVoxels.pop_front();
        auto queued = queuedVoxels.find(out);
        if (--queued->second == 0)
            queuedVoxels.erase(queued);
    }
    const NodePin node = getNodeAt(out.x, out.y, out.z);
    node->tdb->modified = true;
    node->wdb->modified = true;
    clearWaterAndQueue(out.x, out.y, out.z);
    return true;
}

bool TerrainDataManager::popChangedWater(VoxelPosition& out)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (changedWater.empty())
            return false;
        out = changedWater.front();
        changedWater.pop_front();
        queuedWater.erase(out);
    }
    getNodeAt(out.x, out.y, out.z)->wdb->modified = true;
    return true;
}

void TerrainDataManager::clearWaterAndQueue(int x, int y, int z)
{
    getNodeAt(x, y, z)->wdb->setWater(WaterDatablock::DRY, x, y, z);
    queueFlowNeighbours({ x, y, z });
}

void TerrainDataManager::queueFlowNeighbours(const VoxelPosition& position)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    forEachNeighbour(position, [this](const VoxelPosition& q) { waterFlow.push_back(q); });
}

std::size_t TerrainDataManager::waterFlowBacklog() const
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return waterFlow.size();
}

int TerrainDataManager::waterFlowPass()
{
    std::size_t steps;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        steps = std::min(waterFlow.size(), static_cast<std::size_t>(FLOW_STEPS_PER_PASS));
    }
    for (std::size_t step = 0; step < steps; ++step) {
        VoxelPosition position;
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            position = waterFlow.front();
            waterFlow.pop_front();
        }
        flowStep(position);
    }
    return static_cast<int>(steps);
}

void TerrainDataManager::flowStep(const VoxelPosition& p)
{
    // A voxel without water has none to give.
    if (WaterVox(*this, p.x, p.y, p.z).density() < 0)
        return;
    forEachNeighbour(p, [this](const VoxelPosition& q) {
        const NodePin node = getNodeAt(q.x, q.y, q.z);
        const int water = node->wdb->getWater(q.x, q.y, q.z);
        if (node->tdb->getVoxel(q.x, q.y, q.z)->density() == Voxel::FULLY_SOLID)
            return;
        const int natural = WaterDatablock::naturalValue(*planetObject, q.x, q.y, q.z);
        if (natural > water) {
            node->wdb->setWater(natural, q.x, q.y, q.z);
            queueWaterChange(q.x, q.y, q.z);
            std::lock_guard<std::mutex> lock(queueMutex);
            waterFlow.push_back(q);
        }
    });
}

void TerrainDataManager::run()
{
    // Nothing may escape this thread: a failure is handed to the main loop, which ends the program.
    try {
        while (running) {
            waterFlowPass();
            generator->publishStatistics();
            std::unique_lock<std::mutex> lock(wakeMutex);
            wake.wait_for(lock, FLOW_PASS_INTERVAL, [this] { return !running; });
        }
    } catch (const char* message) {
        recordFailure(message);
    } catch (const std::exception& error) {
        std::cout << "Water flow stopped: " << error.what() << "\n";
        recordFailure("FATAL EXCEPTION");
    }
}

void TerrainDataManager::saveTick(double dt)
{
    saveTimer += dt;
    if (saveTimer > WORLD_FILE_INTERVAL) {
        saveTimer = 0.0;
        saveWorldFile();
    }
    // The cursor passes over unmodified blocks without a pause: with thousands
    // of cached blocks, visiting two a tick would leave an edit unsaved for
    // minutes, and lost if the process were killed.
    std::lock_guard<std::mutex> lock(mutex);
    int saved = 0;
    for (std::size_t looked = 0; looked < nodes.size() && saved < NODES_SAVED_PER_TICK; ++looked) {
        saveCursor = (saveCursor + 1) % nodes.size();
        DataNode& node = *nodes[saveCursor];
        if (node.tdb->modified || node.wdb->modified) {
            saveNode(node);
            ++saved;
        }
    }
}

void TerrainDataManager::saveWorldFile()
{
    WorldSettings world;
    world.seed1 = worldSeed1;
    world.seed2 = worldSeed2;
    world.user = { userPosition[0], userPosition[1], userPosition[2] };
    world.sunAngle = planetObject->sunAngle();
    world.dayLength = planetObject->dayLength();
    if (!folder.writeWorldFile(world))
        std::cout << "Could not write the world file " << folder.worldFilePath() << "\n";
}

double TerrainDataManager::sampleDensity(double x, double y, double z)
{
    const Vector3 p { x, y, z };
    if (!inVoxelRange(p))
        return Voxel::FULLY_AIR;
    DensityReader density(*this);
    double sum = 0.0;
    forEachCellCorner(p, [&](int vx, int vy, int vz, double weight) { sum += weight * density(vx, vy, vz); });
    return sum;
}

Vector3 TerrainDataManager::surfaceNormal(double x, double y, double z)
{
    const Vector3 p { x, y, z };
    if (!inVoxelRange(p))
        return {};
    DensityReader density(*this);
    Vector3 normal;
    forEachCellCorner(p, [&](int vx, int vy, int vz, double weight) {
        const Vector3 gradient { static_cast<double>(density(vx - 1, vy, vz) - density(vx + 1, vy, vz)),
            static_cast<double>(density(vx, vy - 1, vz) - density(vx, vy + 1, vz)),
            static_cast<double>(density(vx, vy, vz - 1) - density(vx, vy, vz + 1)) };
        normal += normalisedIfLong(gradient) * weight;
    });
    return normalisedIfLong(normal);
}

std::vector<Vox> TerrainDataManager::castVoxelRay(
    const Vector3& origin, const Vector3& direction, double maxDistance)
{
    std::vector<Vox> hits;
    // A ray that does not move would meet the same voxel forever.
    if (!inVoxelRange(origin) || !inVoxelRange(direction) || direction.length() == 0.0)
        return hits;
    for (int k = 1;; ++k) {
        const Vector3 sample = origin + direction * (k * 0.5);
        if (!inVoxelRange(sample))
            break;
        const int fx = static_cast<int>(std::floor(sample.x));
        const int fy = static_cast<int>(std::floor(sample.y));
        const int fz = static_cast<int>(std::floor(sample.z));
        VoxelPosition nearest { fx, fy, fz };
        double nearestDistance = -1.0;
        for (int dx = 0; dx <= 1; ++dx)
            for (int dy = 0; dy <= 1; ++dy)
                for (int dz = 0; dz <= 1; ++dz) {
                    const double distance = (Vector3(fx + dx, fy + dy, fz + dz) - sample).length();
                    if (nearestDistance < 0.0 || distance < nearestDistance) {
                        nearestDistance = distance;
                        nearest = { fx + dx, fy + dy, fz + dz };
                    }
                }
        if ((Vector3(nearest.x, nearest.y, nearest.z) - origin).length() > maxDistance)
            break;
        NodePin node = findNode(datablock::blockCoordinate(nearest.x), datablock::blockCoordinate(nearest.y),
            datablock::blockCoordinate(nearest.z));
        if (!node)
            break;
        hits.push_back(Vox(*this, std::move(node), nearest.x, nearest.y, nearest.z));
    }
    return hits;
}

Vector3 TerrainDataManager::pushOutOfGround(const Vector3& from, const Vector3& to)
{
    if ((to - from).length() < 0.0001 || sampleDensity(to) < 0.0)
        return to;
    const Vector3 normal = surfaceNormal(to);
    Vector3 point = to;
    double travelled = 0.0;
    while (sampleDensity(point) > 0.0) {
        point += normal * 0.1;
        travelled += 0.1;
        if (travelled > 5.0) {
            std::cout << "--distTravelled:" << travelled << "\n";
            return from;
        }
    }
    while (sampleDensity(point) < 0.0)
        point -= normal * 0.01;
    return point + normal * 0.01;
}

Vector3 TerrainDataManager::findSurface(Vector3 p)
{
    if (!inVoxelRange(p))
        return p;
    const Vector3 up = planetObject->upAt(p);
    // Underground the search climbs; in the air it descends. `inside` is
    // positive on the side the search starts from.
    const double side = sampleDensity(p) > 0.0 ? 1.0 : -1.0;
    const Vector3 out = up * side;
    auto inside = [&](const Vector3& at) { return sampleDensity(at) * side; };

    for (double step = 1.0; inVoxelRange(p) && inside(p) > 0.0; step *= 1.5)
        p += out * step;
    while (inVoxelRange(p) && inside(p) < 0.0)
        p -= out * 0.1;
    while (inVoxelRange(p) && inside(p) > 0.0)
        p += out * 0.01;
    return p;
}
