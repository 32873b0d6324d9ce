#include "Terrain/TerrainBlock.h"

#include "Graphics/TerrainTextureRegistry.h"
#include "Interface/StatsManager.h"
#include "Terrain/Terrain.h"
#include "Terrain/VoxelField.h"
#include "Terrain/VoxelWorld.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int GRASS_MATERIAL = 1;
const char* const VEGETATION_STAT = "Vegetation points";

} // namespace

TerrainBlock::TerrainBlock(const VoxelBox& box, VoxelWorld* world, int step)
    : VisualBlock(box, world, step)
{
    rebuild();
}

TerrainBlock::~TerrainBlock()
{
    StatsManager::getInstance().addToStat(VEGETATION_STAT, -grassPoints.load());
    for (GLuint name : { vertexBuffer.name, indexBuffer.name, vegetationBuffer.name })
        if (name != 0)
            glDeleteBuffers(1, &name);
    if (vertexArrayObject != 0)
        glDeleteVertexArrays(1, &vertexArrayObject);
}

std::unique_ptr<VoxelField> TerrainBlock::openField(VoxelWorld& world, const VoxelBox& region)
{
    return world.terrainField(region);
}

void TerrainBlock::finishMesh(Mesh& mesh, VoxelField& field)
{
    for (MeshVertex& vertex : mesh.vertices) {
        vertex.normal = field.surfaceNormal(vertex.position);
        vertex.intensity = 0;
    }
    const int grass = TerrainTextureRegistry::getInstance().layerFor(GRASS_MATERIAL);
    std::vector<VegetationPoint> points = Vegetation::points(mesh, grass, buildStep());
    std::stable_sort(points.begin(), points.end(), [](const VegetationPoint& a, const VegetationPoint& b) {
        return patchOf(a.position) < patchOf(b.position);
    });
    builtVegetation = Vegetation::quads(points);
    builtRuns.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Patch patch = patchOf(points[i].position);
        if (builtRuns.empty() || builtRuns.back().patch != patch)
            builtRuns.push_back({ patch, static_cast<int>(4 * i), 0 });
        builtRuns.back().count += 4;
    }
    const int count = static_cast<int>(points.size());
    StatsManager::getInstance().addToStat(VEGETATION_STAT, count - grassPoints.exchange(count));
}

TerrainBlock::Patch TerrainBlock::patchOf(const Vector3& p)
{
    auto cell = [](double v) { return static_cast<int>(std::floor(v / Terrain::FINE_SIZE)); };
    return { cell(p.x), cell(p.y), cell(p.z) };
}

void TerrainBlock::buildArrays(Mesh& mesh)
{
    vertexArray.assign(mesh.vertices.begin(), mesh.vertices.end());
    indexArray.clear();
    indexArray.reserve(mesh.triangles.size() * 3);
    for (const MeshTriangle& triangle : mesh.triangles)
        for (std::uint32_t index : triangle.index)
            indexArray.push_back(static_cast<std::uint16_t>(index));
    vegetationArray = std::move(builtVegetation);
    builtVegetation.clear();
    runArray = std::move(builtRuns);
    builtRuns.clear();
}

void TerrainBlock::upload()
{
    if (vertexArrayObject == 0)
        glGenVertexArrays(1, &vertexArrayObject);
    if (vertexArray.empty() || indexArray.empty()) {
        drawnVertexCount = 0;
        drawnTriangleCount = 0;
        sendArray(GL_ARRAY_BUFFER, vertexBuffer, vertexArray, 0);
        sendArray(GL_ELEMENT_ARRAY_BUFFER, indexBuffer, indexArray, 0);
    } else {
        drawnVertexCount = static_cast<int>(vertexArray.size());
        drawnTriangleCount = static_cast<int>(indexArray.size() / 3);
        glBindVertexArray(vertexArrayObject);
        sendArray(GL_ARRAY_BUFFER, vertexBuffer, vertexArray, drawnVertexCount);
        const GLsizei stride = sizeof(MeshVertex);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(
            0, 3, GL_DOUBLE, GL_FALSE, stride, bufferOffset(offsetof(MeshVertex, position)));
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_DOUBLE, GL_FALSE, stride, bufferOffset(offsetof(MeshVertex, normal)));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(MeshVertex, weights)));
        glEnableVertexAttribArray(4);
        glVertexAttribPointer(
            4, 3, GL_UNSIGNED_BYTE, GL_FALSE, stride, bufferOffset(offsetof(MeshVertex, materials)));
        glEnableVertexAttribArray(6);
        glVertexAttribPointer(
            6, 1, GL_UNSIGNED_BYTE, GL_FALSE, stride, bufferOffset(offsetof(MeshVertex, intensity)));
        sendArray(GL_ELEMENT_ARRAY_BUFFER, indexBuffer, indexArray, drawnTriangleCount);
        glBindVertexArray(0);
    }
    // Always replaced, so grass never outlives the mesh it stood on.
    sendArray(GL_ARRAY_BUFFER, vegetationBuffer, vegetationArray, static_cast<int>(vegetationArray.size()));
    grassRuns = std::move(runArray);
    runArray.clear();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void TerrainBlock::draw(GLuint)
{
    if (vertexArrayObject != 0 && drawnTriangleCount != 0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindVertexArray(vertexArrayObject);
        glDrawElements(GL_TRIANGLES, 3 * drawnTriangleCount, GL_UNSIGNED_SHORT, nullptr);
        glBindVertexArray(0);
    }
    // The render pass switches to lines before a wireframe block, also an empty one.
    if (wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

bool TerrainBlock::drawVegetation(const std::function<bool(const Patch&)>& hidden)
{
    std::vector<GrassRun> shown;
    for (const GrassRun& run : grassRuns) {
        if (hidden && hidden(run.patch))
            continue;
        if (!shown.empty() && shown.back().first + shown.back().count == run.first)
            shown.back().count += run.count;
        else
            shown.push_back(run);
    }
    if (vegetationBuffer.count == 0 || shown.empty())
        return false;
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, vegetationBuffer.name);
    const GLsizei stride = sizeof(VegetationVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(
        0, 3, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(VegetationVertex, position)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(
        2, 2, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(VegetationVertex, texCoord)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(VegetationVertex, normal)));
    for (const GrassRun& run : shown)
        glDrawArrays(GL_QUADS, run.first, run.count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(2);
    glDisableVertexAttribArray(1);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    return true;
}
