#pragma once

#include "Graphics/GpuBuffer.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/Textures.h"

#include <array>
#include <cstdint>
#include <vector>

// Components a source mesh lacks are 0.
struct ModelVertex
{
    float position[3];
    float texCoord[2];
    float normal[3];
    float tangent[3];
    float bitangent[3];
};

// A model material's maps; each may be null. The textures belong to the
// texture cache.
struct ModelMaterial
{
    Texture* diffuse = nullptr;
    Texture* normal = nullptr;
    Texture* specular = nullptr;
};

// One drawable part of a model: its triangles on the GPU and the material it
// is drawn with. Owns its vertex array and buffers; move-only. Main thread
// only.
class ModelMesh
{
public:
    ModelMesh();
    ~ModelMesh();
    ModelMesh(ModelMesh&& other) noexcept;
    ModelMesh& operator=(ModelMesh&& other) noexcept;
    ModelMesh(const ModelMesh&) = delete;
    ModelMesh& operator=(const ModelMesh&) = delete;

    // Uploads vertices and triangles; reports and uploads nothing when either
    // is missing, and the mesh then draws nothing.
    void setBuffers();
    // Binds the material's normal map to unit 1 and its diffuse map to unit 0
    // of the caller's current program, then draws the triangles.
    void draw(ShaderProgram& shader) const;

    std::vector<ModelVertex> vertices;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    GpuBuffer vertexBuffer;
    GpuBuffer indexBuffer;
    GLuint vertexArray = 0;
    const ModelMaterial* material = nullptr;

private:
    void release();
};
