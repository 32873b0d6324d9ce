#include "Terrain/VisualBlock.h"

#include "Graphics/BufferPool.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/Polygonizer.h"
#include "Terrain/VoxelWorld.h"

#include <iostream>

namespace {

// Normals read the neighbours of the voxels around each vertex, two beyond the box.
constexpr int FIELD_MARGIN = 2;

// Marks a build in progress for as long as it runs, also when it throws.
class BuildingFlag
{
public:
    explicit BuildingFlag(std::atomic<bool>& flag)
        : flag(flag)
    {
        flag = true;
    }
    ~BuildingFlag() { flag = false; }

private:
    std::atomic<bool>& flag;
};

} // namespace

VisualBlock::VisualBlock(const VoxelBox& box, VoxelWorld* world, int step)
    : world(world)
    , range(box)
    , sampleStep(step > 0 ? step : 1)
{
    if (!world)
        std::cout << "ERROR: Couldn't initialize block with NULL terrain density manager!\n";
}

VisualBlock::~VisualBlock() = default;

void VisualBlock::rebuild()
{
    std::lock_guard<std::mutex> guard(buildMutex);
    buildLocked();
}

bool VisualBlock::setRange(const VoxelBox& box, int step)
{
    std::lock_guard<std::mutex> guard(buildMutex);
    if (box == range && step == sampleStep)
        return false;
    moved = box != range;
    range = box;
    if (step > 0)
        sampleStep = step;
    {
        std::lock_guard<std::mutex> result(lock);
        builtVertices = 0;
        builtTriangles = 0;
    }
    buildLocked();
    return true;
}

void VisualBlock::rebuildForEdit()
{
    std::lock_guard<std::mutex> guard(buildMutex);
    moved = false;
    buildLocked(true);
}

void VisualBlock::buildLocked(bool forEdit)
{
    BuildingFlag flag(building);
    // Reused from build to build on this thread; starts empty.
    const ScratchLease<Mesh> scratchMesh;
    Mesh& mesh = *scratchMesh;
    mesh.vertices.clear();
    mesh.triangles.clear();
    bool surface = false;
    if (world) {
        const VoxelBox region = range.grown(FIELD_MARGIN);
        const std::unique_ptr<VoxelField> source = openField(*world, region);
        CachedVoxelField field(*source, region);
        Polygonizer polygonizer(
            field, [](int material) { return TerrainTextureRegistry::getInstance().layerFor(material); });
        surface = polygonizer.polygonize(
            range, sampleStep,
            [this](const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
                return acceptTriangle(a, b, c);
            },
            mesh);
        if (const std::size_t dropped = mesh.keepVertices(MAX_VERTICES)) {
            std::cout << "Mesh of the block at (" << range.x0 << ", " << range.y0 << ", " << range.z0
                      << ") needs more than " << MAX_VERTICES << " vertices; " << dropped
                      << " triangles left out\n";
        }
        // Also without a surface: whatever the block derived from its last
        // mesh (its grass) must go with it.
        finishMesh(mesh, field);
    }
    std::lock_guard<std::mutex> result(lock);
    builtVertices = static_cast<int>(mesh.vertices.size());
    builtTriangles = static_cast<int>(mesh.triangles.size());
    buildArrays(mesh);
    uploadPending = true;
    editTouched = editTouched || forEdit;
    if (surface)
        fadeValue = moved ? 0.0 : 1.0;
    moved = false;
}

void VisualBlock::update(double dt)
{
    std::lock_guard<std::mutex> guard(lock);
    if (fadeValue < 1.0)
        fadeValue += 0.5 * dt;
    editTouched = false;
    if (uploadPending) {
        upload();
        uploadPending = false;
    }
    animate(dt);
}

bool VisualBlock::acceptTriangle(const MeshVertex&, const MeshVertex&, const MeshVertex&)
{
    return true;
}

void VisualBlock::animate(double) { }

VoxelBox VisualBlock::box() const
{
    std::lock_guard<std::mutex> guard(buildMutex);
    return range;
}

int VisualBlock::step() const
{
    std::lock_guard<std::mutex> guard(buildMutex);
    return sampleStep;
}

bool VisualBlock::touched() const
{
    std::lock_guard<std::mutex> guard(lock);
    return editTouched;
}

bool VisualBlock::hasTriangles() const
{
    return builtTriangleCount() != 0;
}

int VisualBlock::builtVertexCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return builtVertices;
}

int VisualBlock::builtTriangleCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return builtTriangles;
}

bool VisualBlock::needsUpload() const
{
    std::lock_guard<std::mutex> guard(lock);
    return uploadPending;
}

double VisualBlock::fade() const
{
    std::lock_guard<std::mutex> guard(lock);
    return fadeValue;
}

void VisualBlock::fillBuffer(GLenum target, GpuBuffer& buffer, const void* data, std::size_t bytes, int count)
{
    if (buffer.name == 0)
        buffer.name = BufferPool::getInstance().acquire();
    glBindBuffer(target, buffer.name);
    glBufferData(target, 0, nullptr, GL_STATIC_DRAW);
    if (bytes != 0)
        glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    buffer.count = count;
}
