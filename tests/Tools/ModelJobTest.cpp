#include "DwarfModel.h"
#include "ForgeModel.h"
#include "GeneratedFolder.h"

#include <SFML/Graphics/Image.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

namespace {
struct Measures
{
    aiVector3D low { 1e9f, 1e9f, 1e9f }, high { -1e9f, -1e9f, -1e9f };
    double signedVolume = 0;
};

// Imports the model with the post-processing the game uses, plus
// Assimp's own validation of indices and structure, and checks what
// the game relies on: triangles with normals and texture coordinates,
// and one named material whose textures exist in textures/model/.
Measures import(const GeneratedFolder& folder, const std::string& file)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(
        folder.path(file), aiProcessPreset_TargetRealtime_Quality | aiProcess_ValidateDataStructure);
    Measures m;
    EXPECT_NE(scene, nullptr) << importer.GetErrorString();
    if (!scene)
        return m;
    EXPECT_GE(scene->mNumMeshes, 1u);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        EXPECT_EQ(mesh->mPrimitiveTypes, static_cast<unsigned>(aiPrimitiveType_TRIANGLE));
        EXPECT_TRUE(mesh->HasNormals());
        EXPECT_TRUE(mesh->HasTextureCoords(0));
        int outside = 0;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            m.low = { std::min(m.low.x, p.x), std::min(m.low.y, p.y), std::min(m.low.z, p.z) };
            m.high = { std::max(m.high.x, p.x), std::max(m.high.y, p.y), std::max(m.high.z, p.z) };
            if (mesh->HasTextureCoords(0)) {
                const aiVector3D& uv = mesh->mTextureCoords[0][v];
                outside += uv.x < 0 || uv.x > 1 || uv.y < 0 || uv.y > 1;
            }
        }
        EXPECT_EQ(outside, 0) << "texture coordinates outside the atlas";
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* index = mesh->mFaces[f].mIndices;
            const aiVector3D &a = mesh->mVertices[index[0]], &b = mesh->mVertices[index[1]],
                             &c = mesh->mVertices[index[2]];
            m.signedVolume += (a * (b ^ c)) / 6.0;
        }
        const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
        aiString name;
        material->Get(AI_MATKEY_NAME, name);
        EXPECT_STRNE(name.C_Str(), "DefaultMaterial");
        for (aiTextureType type : { aiTextureType_DIFFUSE, aiTextureType_HEIGHT }) {
            aiString path;
            EXPECT_EQ(material->GetTexture(type, 0, &path), AI_SUCCESS) << file << " texture type " << type;
            sf::Image image;
            EXPECT_TRUE(image.loadFromFile(folder.path("textures/model/" + std::string(path.C_Str()))))
                << path.C_Str();
        }
    }
    return m;
}
}

// Upright, standing on y = 0, of a plausible size, and closed surfaces
// facing outwards (a positive enclosed volume).
TEST(ModelJobTest, DwarfIsASmallFigureStandingOnTheGround)
{
    const GeneratedFolder folder({ dwarfModelJob() });
    EXPECT_EQ(folder.written(), folder.declared());
    const Measures dwarf = import(folder, "models/dwarf/dwarf_smaller.obj");
    EXPECT_NEAR(dwarf.low.y, 0.0, 0.01);
    EXPECT_GT(dwarf.high.y, 1.05);
    EXPECT_LT(dwarf.high.y, 1.35);
    EXPECT_LT(dwarf.high.x - dwarf.low.x, dwarf.high.y - dwarf.low.y);
    EXPECT_GT(dwarf.signedVolume, 0.05);
}

TEST(ModelJobTest, ForgeIsAFewUnitsLargeAndStandsOnTheGround)
{
    const GeneratedFolder folder({ forgeModelJob() });
    EXPECT_EQ(folder.written(), folder.declared());
    const Measures forge = import(folder, "models/forge.obj");
    EXPECT_NEAR(forge.low.y, 0.0, 0.01);
    EXPECT_GT(forge.high.y, 2.0);
    EXPECT_LT(forge.high.y, 4.0);
    EXPECT_GT(forge.high.x - forge.low.x, 2.0);
    EXPECT_LT(forge.high.x - forge.low.x, 4.0);
    EXPECT_GT(forge.signedVolume, 2.0);
}
