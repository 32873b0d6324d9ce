#pragma once

#include "Graphics/Vector3.h"
#include "World/EditHistory.h"
#include "World/NodePin.h"
#include "World/Vox.h"
#include "World/VoxelPosition.h"
#include "World/WorldFolder.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class DatablockAnalyzer;
class Planet;

// The single owner of the voxel world in memory ("TDM" in its messages). It
// keeps at most `capacity` block pairs, reuses the least recently used one
// (saving it first when modified) when it needs another, saves modified blocks
// periodically and at its end, and carries the three queues through which
// edits reach the renderer and the water flow. Its own thread runs the water
// flow. It creates the planet and the generator and reads or creates the
// world on disk.
//
// Threads:
// - Main thread: construction and destruction, saveTick, saveWorldFile, the
//   two pop operations, rethrowFailure, and the queries of tools and player.
// - Terrain update thread: handles and queries while meshing.
// - Its own thread: the water flow.
// `mutex` guards the node table, the recency list, the node list and the save
// cursor; block creation, loading, reuse and saving happen under it. A node
// is reused only when no NodePin (held by every handle and query while it
// uses a block) refers to it. `queueMutex` guards the three queues and their
// membership sets. The two are never held together, and neither is held while
// a voxel is generated. A save that fails is recorded (never thrown on a
// worker thread, never dropping the block's data); the main thread raises it
// through rethrowFailure().
class TerrainDataManager
{
public:
    // The game's cache: room for every block the two terrain rings can read at
    // once (the coarse ring spans up to 16 blocks on each axis and holds the
    // fine one), so a cell remeshed after the first pass finds its voxels
    // still generated. With 1000 pairs the coarse ring (about 3400 blocks)
    // evicted its own blocks while it was built and regenerated them on every
    // later remesh. A pair takes about 24 KB, so this costs about 75 MB more.
    static constexpr int GAME_CAPACITY = 4096;

    // userPosition: the viewer's position (three doubles) owned by the game;
    // set here to the stored or found start position, read whenever the world
    // file is written. terrainRoot holds the worlds. Without waterThread no
    // thread runs and the owner drives the flow with waterFlowPass().
    TerrainDataManager(double* userPosition, const std::string& worldName, int seed1, int seed2, int capacity,
        const std::string& terrainRoot = "resources\\terrain\\", bool waterThread = true);
    // Writes the world file, stops the thread and saves every modified block,
    // including blocks of edits the renderer has not consumed yet.
    ~TerrainDataManager();
    TerrainDataManager(const TerrainDataManager&) = delete;
    TerrainDataManager& operator=(const TerrainDataManager&) = delete;

    // Throws "FATAL EXCEPTION" (after a message) when no manager exists.
    static TerrainDataManager& getInstance();

    // The pair for block coordinates, created, loaded or reused as needed.
    NodePin getNode(int bx, int by, int bz);
    // The pair holding a world voxel.
    NodePin getNodeAt(int x, int y, int z);
    // The pair if it is in memory, otherwise null; never creates or loads.
    NodePin findNode(int bx, int by, int bz);

    // Appends to the changed-water queue unless the position is already in it.
    void queueWaterChange(int x, int y, int z);
    // False when nothing is queued. Otherwise hands out the oldest changed
    // voxel, marks its block pair modified, clears the water there and queues
    // its 26 neighbours for the water flow.
    bool popChangedVoxel(VoxelPosition& out);
    // False when nothing is queued; otherwise the oldest water change, with its water block marked modified.
    bool popChangedWater(VoxelPosition& out);
    // Dries a voxel and queues its 26 neighbours for the water flow.
    void clearWaterAndQueue(int x, int y, int z);

    // Called every frame: the world file every 10 seconds, two nodes of the node list per call.
    void saveTick(double dt);
    void saveWorldFile();
    // Throws the message of the first save that failed on any thread, if one did.
    void rethrowFailure() const;

    // Trilinear density (-128..127 scale) of the 8 voxels around a point.
    double sampleDensity(double x, double y, double z);
    double sampleDensity(const Vector3& p) { return sampleDensity(p.x, p.y, p.z); }
    // Unit normal from ground towards air, interpolated from the voxel gradients around a point.
    Vector3 surfaceNormal(double x, double y, double z);
    Vector3 surfaceNormal(const Vector3& p) { return surfaceNormal(p.x, p.y, p.z); }
    // The voxels met every half direction length along a ray, up to maxDistance
    // from the origin, ending at the first block not in memory.
    std::vector<Vox> castVoxelRay(const Vector3& origin, const Vector3& direction, double maxDistance);
    // `to`, moved out of the ground along the surface normal; `from` when that
    // takes more than 5 units.
    Vector3 pushOutOfGround(const Vector3& from, const Vector3& to);
    // The ground surface along the local up direction through p.
    Vector3 findSurface(Vector3 p);

    // Runs the water flow for up to 10 queued positions; returns how many.
    // The manager's thread calls it every 16 ms.
    int waterFlowPass();
    std::size_t waterFlowBacklog() const;

    int nodeCount() const;
    int capacity() const { return maxNodes; }
    // The seeds of the generator, as the world file keeps them.
    int seed1() const { return worldSeed1; }
    int seed2() const { return worldSeed2; }
    const WorldFolder& worldFolder() const { return folder; }
    Planet& planet() { return *planetObject; }
    DatablockAnalyzer& analyzer() { return *generator; }
    // Undo and redo of the tools' strokes; main thread only.
    EditHistory& editHistory() { return edits; }

private:
    friend class Vox;

    void queueChangedVoxel(const VoxelPosition& position, bool unlessQueued);
    void queueFlowNeighbours(const VoxelPosition& position);
    void flowStep(const VoxelPosition& position);
    void run();
    void recordFailure(const char* message);
    // Moves the user position onto the ground by the new world's surface search.
    void placeOnSurface();
    // False for a stored position that is missing, out of the voxel range or buried.
    bool usableStart(const WorldSettings& world);

    // The rest need `mutex` held.
    DataNode* lookup(int bx, int by, int bz) const;
    std::size_t bucketIndex(int bx) const;
    void moveToHead(DataNode* node);
    DataNode* pickVictim() const;
    NodePin createNode(int bx, int by, int bz, const std::string& file);
    bool saveNode(DataNode& node);

    static std::atomic<TerrainDataManager*> instance;

    std::unique_ptr<Planet> planetObject;
    WorldFolder folder;
    double* userPosition;
    int worldSeed1 = 0;
    int worldSeed2 = 0;
    std::unique_ptr<DatablockAnalyzer> generator;
    const int maxNodes;

    mutable std::mutex mutex;
    DataNode* head = nullptr;
    DataNode* tail = nullptr;
    int count = 0;
    std::vector<std::vector<DataNode*>> hashTable;
    // Shared with the pins, which keep a node alive past the manager's end.
    std::vector<std::shared_ptr<DataNode>> nodes;
    std::size_t saveCursor = 0;
    // Main thread only.
    double saveTimer = 0.0;

    mutable std::mutex queueMutex;
    std::deque<VoxelPosition> changedVoxels;
    // How often each position is in changedVoxels, for the once-per-position density writes.
    std::unordered_map<VoxelPosition, int> queuedVoxels;
    std::deque<VoxelPosition> waterFlow;
    std::deque<VoxelPosition> changedWater;
    std::unordered_set<VoxelPosition> queuedWater;

    std::atomic<const char*> failure { nullptr };
    std::atomic<bool> running { false };
    std::mutex wakeMutex;
    std::condition_variable wake;
    std::thread thread;

    EditHistory edits { *this };
};
