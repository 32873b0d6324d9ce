#include "DwarfModel.h"
#include "ForgeModel.h"
#include "MeshBuilder.h"
#include "ResourceChecks.h"
#include "Transform.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <functional>

namespace {

struct Measures
{
    aiVector3D low { 1e9f, 1e9f, 1e9f }, high { -1e9f, -1e9f, -1e9f };
    aiVector2D lowUv { 1e9f, 1e9f }, highUv { -1e9f, -1e9f };
    // Positive for closed surfaces whose faces wind counter-clockwise outwards.
    double signedVolume = 0;
};

// Checks what the game relies on in a scene that passed Assimp's own
// validation of indices and structure: triangles, each vertex normal on the
// side its face winds towards, and texture coordinates.
Measures measure(const aiScene* scene)
{
    Measures m;
    int inward = 0;
    EXPECT_GE(scene->mNumMeshes, 1u);
    for (const aiMesh* mesh : std::vector<aiMesh*>(scene->mMeshes, scene->mMeshes + scene->mNumMeshes)) {
        EXPECT_EQ(mesh->mPrimitiveTypes, static_cast<unsigned>(aiPrimitiveType_TRIANGLE));
        if (!mesh->HasNormals() || !mesh->HasTextureCoords(0)) {
            ADD_FAILURE() << "normals or texture coordinates missing";
            continue;
        }
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D &p = mesh->mVertices[v], &uv = mesh->mTextureCoords[0][v];
            m.low = { std::min(m.low.x, p.x), std::min(m.low.y, p.y), std::min(m.low.z, p.z) };
            m.high = { std::max(m.high.x, p.x), std::max(m.high.y, p.y), std::max(m.high.z, p.z) };
            m.lowUv = { std::min(m.lowUv.x, uv.x), std::min(m.lowUv.y, uv.y) };
            m.highUv = { std::max(m.highUv.x, uv.x), std::max(m.highUv.y, uv.y) };
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* i = mesh->mFaces[f].mIndices;
            const aiVector3D &a = mesh->mVertices[i[0]], &b = mesh->mVertices[i[1]],
                             &c = mesh->mVertices[i[2]];
            m.signedVolume += (a * (b ^ c)) / 6.0;
            for (int k = 0; k < 3; ++k)
                inward += ((b - a) ^ (c - a)) * mesh->mNormals[i[k]] <= 0.0f;
        }
    }
    EXPECT_EQ(inward, 0) << "vertex normals against the winding of their face";
    return m;
}

} // namespace

// A part's enclosed volume comes out whole and positive, mirrored or not; its
// texture coordinates stay in the atlas rectangle it is given.
TEST(ModelsTest, PartsAreClosedAndWoundOutwards)
{
    constexpr double pi = 3.14159265358979323846, hexagon = 6.0 * 0.5 * 0.86602540378443865;
    const Transform placed = Transform::translate({ 3, 1, -2 }) * Transform::rotate({ 1, 2, 3 }, 40.0);
    const Transform mirrored = Transform::scale({ -1, 1, 2 });
    const UvRect uv { 0.25, 0.5, 0.5, 0.75 };
    const struct
    {
        const char* part;
        std::function<void(MeshBuilder&)> add;
        double volume, tolerance;
    } parts[] = {
        { "box",
            [&](MeshBuilder& b) {
                b.box(placed, { 1, 2, 3 }, uv);
            },
            6.0, 1e-3 },
        { "mirrored box",
            [&](MeshBuilder& b) {
                b.box(mirrored, { 1, 1, 1 }, uv);
            },
            2.0, 1e-3 },
        { "hexagonal prism", [&](MeshBuilder& b) { b.cylinder(placed, 1.0, 1.0, 2.0, 6, uv); }, hexagon * 2,
            1e-3 },
        { "cone", [&](MeshBuilder& b) { b.cylinder(placed, 1.0, 0.0, 3.0, 6, uv); }, hexagon, 1e-3 },
        { "ellipsoid",
            [&](MeshBuilder& b) {
                b.ellipsoid(placed, { 1, 2, 0.5 }, 24, 48, uv);
            },
            4.0 / 3.0 * pi, 0.1 },
        { "mirrored cone", [&](MeshBuilder& b) { b.cylinder(mirrored, 1.0, 0.0, 3.0, 6, uv); }, 2 * hexagon,
            1e-3 },
    };
    for (const auto& part : parts) {
        SCOPED_TRACE(part.part);
        MeshBuilder builder;
        part.add(builder);
        const std::string obj = builder.objText("test", "test.mtl", "test");
        Assimp::Importer importer;
        const aiScene* scene
            = importer.ReadFileFromMemory(obj.data(), obj.size(), aiProcess_ValidateDataStructure, "obj");
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        const Measures m = measure(scene);
        EXPECT_NEAR(m.signedVolume, part.volume, part.tolerance);
        EXPECT_GE(m.lowUv.x, uv.u0 - 1e-4);
        EXPECT_GE(m.lowUv.y, uv.v0 - 1e-4);
        EXPECT_LE(m.highUv.x, uv.u1 + 1e-4);
        EXPECT_LE(m.highUv.y, uv.v1 + 1e-4);
    }
}

// Imported with the post-processing the game uses, each model stands on
// y = 0 with a plausible size and a closed surface facing outwards, its
// texture coordinates in the atlas, and one named material whose textures
// exist in textures/model/.
TEST(ModelsTest, ModelsLoadAsTheGameLoadsThem)
{
    const struct
    {
        ResourceJob job;
        const char* file;
        float lowestTop, highestTop, narrowest, widest, volume;
    } models[] = {
        { dwarfModelJob(), "models/dwarf/dwarf_smaller.obj", 1.05f, 1.35f, 0.0f, 1.0f, 0.05f },
        { forgeModelJob(), "models/forge.obj", 2.0f, 4.0f, 2.0f, 4.0f, 2.0f },
    };
    for (const auto& model : models) {
        SCOPED_TRACE(model.file);
        const GeneratedFolder folder({ model.job });
        EXPECT_EQ(folder.written(), folder.declared);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(folder.path(model.file),
            aiProcessPreset_TargetRealtime_Quality | aiProcess_ValidateDataStructure);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        const Measures m = measure(scene);
        EXPECT_NEAR(m.low.y, 0.0, 0.01);
        EXPECT_GT(m.high.y, model.lowestTop);
        EXPECT_LT(m.high.y, model.highestTop);
        EXPECT_GT(m.high.x - m.low.x, model.narrowest);
        EXPECT_LT(m.high.x - m.low.x, std::min(model.widest * (m.high.y - m.low.y), model.widest * 10));
        EXPECT_GT(m.signedVolume, model.volume);
        EXPECT_GE(std::min(m.lowUv.x, m.lowUv.y), 0.0f);
        EXPECT_LE(std::max(m.highUv.x, m.highUv.y), 1.0f);
        for (const aiMesh* mesh : std::vector<aiMesh*>(scene->mMeshes, scene->mMeshes + scene->mNumMeshes)) {
            const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
            EXPECT_STRNE(material->GetName().C_Str(), "DefaultMaterial");
            for (aiTextureType type : { aiTextureType_DIFFUSE, aiTextureType_HEIGHT }) {
                aiString path;
                EXPECT_EQ(material->GetTexture(type, 0, &path), AI_SUCCESS) << "texture type " << type;
                folder.image("textures/model/" + std::string(path.C_Str()));
            }
        }
    }
}

// Products apply their right-hand side first; normals stay perpendicular to
// their surface under uneven scaling, and on its outer side under mirroring.
TEST(ModelsTest, TransformsMoveNormalsWithTheirSurfaces)
{
    const auto expectNear = [](const Vec3& a, const Vec3& b) { EXPECT_NEAR((a - b).length(), 0.0, 1e-9); };
    expectNear((Transform::translate({ 1, 0, 0 }) * Transform::rotate({ 0, 0, 1 }, 90.0)
                   * Transform::scale({ 2, 1, 1 }))
                   .point({ 1, 0, 0 }),
        { 1, 2, 0 });
    // The plane x + y = 0 holds the directions (1, -1, 0) and (0, 0, 1).
    const Transform t = Transform::rotate({ 1, 1, 0 }, 30.0) * Transform::scale({ 1, 3, 0.5 });
    const Vec3 normal = t.normal({ 1, 1, 0 });
    EXPECT_NEAR(normal.dot(t.point({ 1, -1, 0 })), 0.0, 1e-9);
    EXPECT_NEAR(normal.dot(t.point({ 0, 0, 1 })), 0.0, 1e-9);
    EXPECT_NEAR(normal.length(), 1.0, 1e-9);
    expectNear(Transform::scale({ -1, 1, 1 }).normal({ 1, 0, 0 }), { -1, 0, 0 });
    EXPECT_FALSE(Transform::rotate({ 0, 1, 0 }, 180.0).mirrors());
}
