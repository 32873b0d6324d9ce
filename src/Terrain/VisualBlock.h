#pragma once

#include "Graphics/GpuBuffer.h"
#include "Terrain/Mesh.h"
#include "Terrain/VoxelBox.h"

#include <GL/glew.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class VoxelField;
class VoxelWorld;

// The drawable mesh of one box of the world, meshed from a voxel field by
// the polygonizer and handed to OpenGL later by update(). TerrainBlock meshes
// the ground, WaterBlock the water surface.
//
// Threads: rebuild(), setRange() and rebuildForEdit() run on whichever
// thread calls them (the terrain update thread for placed and moved blocks,
// the terrain's edit worker for edits); `buildMutex` makes rebuilds of one
// block follow each other and guards the box, the step, `moved` and what
// derived classes keep between builds. A build reads its voxels without
// holding `lock`; `lock` guards what a finished build leaves for the upload
// (the built counts, the arrays of the derived classes, needs-upload, the
// fade, touched) and is held by update() around upload(). update(), draw()
// and everything about OpenGL are main thread only, as are the drawn counts
// and `wireframe`.
class VisualBlock
{
public:
    // The step is the distance between samples; steps below 1 become 1. A
    // null world is reported, and the block then stays empty. Derived
    // classes mesh the block at the end of their constructors.
    VisualBlock(const VoxelBox& box, VoxelWorld* world, int step);
    virtual ~VisualBlock();
    VisualBlock(const VisualBlock&) = delete;
    VisualBlock& operator=(const VisualBlock&) = delete;

    // Meshes the box again; waits for a build of this block on another thread.
    void rebuild();
    // Moves the block to another box or step and rebuilds it; false, doing
    // nothing, when both are unchanged. A moved block fades in again.
    bool setRange(const VoxelBox& box, int step);
    // After an edit: rebuilds at full fade and sets touched; waits for a
    // build of this block on another thread.
    void rebuildForEdit();
    // Main thread, every frame: advances the fade, uploads a finished build.
    void update(double dt);
    // Main thread: draws the last uploaded mesh.
    virtual void draw(GLuint program) = 0;

    VoxelBox box() const;
    int step() const;
    bool hasTriangles() const;
    int builtVertexCount() const;
    int builtTriangleCount() const;
    bool needsUpload() const;
    double fade() const;
    bool isBuilding() const { return building.load(); }
    // Rebuilt after an edit since the last update().
    bool touched() const;

    // The grid cell the block belongs to.
    int cellX = 0;
    int cellY = 0;
    int cellZ = 0;
    bool wireframe = false;
    int drawnVertexCount = 0;
    int drawnTriangleCount = 0;

    // One block holds at most this many vertices: its indices are 16 bit.
    static constexpr std::size_t MAX_VERTICES = 65536;

protected:
    // The voxels the block meshes, read over `region`.
    virtual std::unique_ptr<VoxelField> openField(VoxelWorld& world, const VoxelBox& region) = 0;
    // a, b, c in drawing order; false drops the triangle.
    virtual bool acceptTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c);
    // After the polygonizer and welding, with `buildMutex` held: normals and
    // whatever else the block derives from its mesh.
    virtual void finishMesh(Mesh& mesh, VoxelField& field) = 0;
    // The step of the build in progress, for finishMesh (step() would wait
    // for the build's own lock).
    int buildStep() const { return sampleStep; }
    // With `lock` held: keeps the mesh in the form upload() sends. The mesh
    // is the thread's scratch memory, to be copied from, not kept.
    virtual void buildArrays(Mesh& mesh) = 0;
    // Main thread, with `lock` held.
    virtual void upload() = 0;
    virtual void animate(double dt);

    // Main thread: replaces a buffer's contents (none when bytes is 0) and
    // records the element count; a buffer without a name gets one from the
    // buffer name pool. Leaves the buffer bound to target.
    static void fillBuffer(GLenum target, GpuBuffer& buffer, const void* data, std::size_t bytes, int count);
    // fillBuffer with an array, whose memory is then freed: a block keeps no
    // copy of what it uploaded.
    template <typename T>
    static void sendArray(GLenum target, GpuBuffer& buffer, std::vector<T>& data, int count)
    {
        fillBuffer(target, buffer, data.data(), data.size() * sizeof(T), count);
        std::vector<T>().swap(data);
    }
    // A byte offset into a bound buffer, as the attribute pointers take it.
    static const void* bufferOffset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

    mutable std::mutex lock;

private:
    void buildLocked(bool forEdit = false);

    VoxelWorld* world;
    mutable std::mutex buildMutex;
    VoxelBox range;
    int sampleStep;
    bool moved = true;
    std::atomic<bool> building { false };

    int builtVertices = 0;
    int builtTriangles = 0;
    bool uploadPending = false;
    double fadeValue = 0.0;
    bool editTouched = false;
};
