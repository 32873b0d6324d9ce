#include "Graphics/Model.h"

#include "Game/ResourcePath.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <iostream>

namespace {

struct MapKind
{
    aiTextureType type;
    Texture* ModelMaterial::*slot;
    const char* label;
};

const MapKind mapKinds[] = {
    { aiTextureType_DIFFUSE, &ModelMaterial::diffuse, "diffuse" },
    { aiTextureType_HEIGHT, &ModelMaterial::normal, "normal" },
    { aiTextureType_SPECULAR, &ModelMaterial::specular, "specular" },
};

bool texturePath(const aiMaterial* material, aiTextureType type, std::string& path)
{
    aiString found;
    if (aiGetMaterialTexture(material, type, 0, &found) != AI_SUCCESS)
        return false;
    path = found.C_Str();
    return true;
}

ModelMesh buildMesh(const aiMesh* source)
{
    ModelMesh mesh;
    if (source->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) {
        for (unsigned f = 0; f < source->mNumFaces; ++f) {
            const aiFace& face = source->mFaces[f];
            if (face.mNumIndices >= 3)
                mesh.triangles.push_back({ face.mIndices[0], face.mIndices[1], face.mIndices[2] });
        }
    }
    const bool tangents = source->mTangents && source->mBitangents;
    for (unsigned i = 0; i < source->mNumVertices; ++i) {
        ModelVertex vertex {};
        const aiVector3D& p = source->mVertices[i];
        vertex.position[0] = p.x;
        vertex.position[1] = p.y;
        vertex.position[2] = p.z;
        if (source->mNormals) {
            vertex.normal[0] = source->mNormals[i].x;
            vertex.normal[1] = source->mNormals[i].y;
            vertex.normal[2] = source->mNormals[i].z;
        }
        if (source->mTextureCoords[0]) {
            vertex.texCoord[0] = source->mTextureCoords[0][i].x;
            vertex.texCoord[1] = source->mTextureCoords[0][i].y;
        }
        if (tangents) {
            vertex.tangent[0] = source->mTangents[i].x;
            vertex.tangent[1] = source->mTangents[i].y;
            vertex.tangent[2] = source->mTangents[i].z;
            vertex.bitangent[0] = source->mBitangents[i].x;
            vertex.bitangent[1] = source->mBitangents[i].y;
            vertex.bitangent[2] = source->mBitangents[i].z;
        }
        mesh.vertices.push_back(vertex);
    }
    return mesh;
}

} // namespace

Model::Model(const std::string& path)
{
    // One importer for every model; it owns the scene only until the next
    // import, so nothing of the scene is kept past this constructor.
    static Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(resourcePath(path), aiProcessPreset_TargetRealtime_Quality);
    if (!scene) {
        std::cout << "Error: Model does not contain scene." << std::endl;
        return;
    }

    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        for (const MapKind& kind : mapKinds) {
            std::string texture;
            if (texturePath(scene->mMaterials[m], kind.type, texture))
                textures[texture] = nullptr;
        }
    }
    for (auto& [key, texture] : textures) {
        std::cout << "Info: Loading model texture: /models/" << key << std::endl;
        texture = getTexture2D("model\\" + key);
    }

    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        const aiMaterial* source = scene->mMaterials[m];
        auto material = std::make_unique<ModelMaterial>();
        aiString name;
        aiGetMaterialString(source, AI_MATKEY_NAME, &name);
        if (std::string(name.C_Str()) == AI_DEFAULT_MATERIAL_NAME) {
            std::cout << "default material" << std::endl;
            material->diffuse = getTexture2D("grid.jpg");
        } else {
            for (const MapKind& kind : mapKinds) {
                std::string texture;
                if (texturePath(source, kind.type, texture)) {
                    std::cout << "Setting " << kind.label << " texture: " << texture << std::endl;
                    (*material).*kind.slot = textures[texture];
                }
            }
        }
        materials.push_back(std::move(material));
    }

    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* source = scene->mMeshes[i];
        ModelMesh mesh = buildMesh(source);
        std::cout << "Setting material for mesh: " << i << "->" << source->mMaterialIndex << std::endl;
        if (source->mMaterialIndex < materials.size())
            mesh.material = materials[source->mMaterialIndex].get();
        mesh.setBuffers();
        meshes.push_back(std::move(mesh));
    }
    importer.FreeScene();
}

void Model::draw(ShaderProgram& shader) const
{
    for (const ModelMesh& mesh : meshes)
        mesh.draw(shader);
}
