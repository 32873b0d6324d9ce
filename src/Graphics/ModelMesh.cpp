#include "Graphics/ModelMesh.h"

#include "Graphics/BufferPool.h"

#include <cstddef>
#include <iostream>
#include <utility>

static_assert(sizeof(ModelVertex) == 56, "the vertex layout below assumes 14 packed floats");

ModelMesh::ModelMesh()
{
    vertexBuffer.name = BufferPool::getInstance().acquire();
    indexBuffer.name = BufferPool::getInstance().acquire();
    glGenVertexArrays(1, &vertexArray);
}

ModelMesh::~ModelMesh()
{
    release();
}

ModelMesh::ModelMesh(ModelMesh&& other) noexcept
    : vertices(std::move(other.vertices))
    , triangles(std::move(other.triangles))
    , vertexBuffer(std::exchange(other.vertexBuffer, GpuBuffer()))
    , indexBuffer(std::exchange(other.indexBuffer, GpuBuffer()))
    , vertexArray(std::exchange(other.vertexArray, 0))
    , material(other.material)
{
}

ModelMesh& ModelMesh::operator=(ModelMesh&& other) noexcept
{
    if (this != &other) {
        release();
        vertices = std::move(other.vertices);
        triangles = std::move(other.triangles);
        vertexBuffer = std::exchange(other.vertexBuffer, GpuBuffer());
        indexBuffer = std::exchange(other.indexBuffer, GpuBuffer());
        vertexArray = std::exchange(other.vertexArray, 0);
        material = other.material;
    }
    return *this;
}

void ModelMesh::release()
{
    // Zero names (moved-from meshes) are ignored by OpenGL.
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer.name);
    glDeleteBuffers(1, &indexBuffer.name);
}

void ModelMesh::setBuffers()
{
    if (vertices.empty() || triangles.empty()) {
        std::cout << "Error: Can't set buffers - vertices/indices missing." << std::endl;
        return;
    }
    struct Attribute
    {
        GLuint location;
        GLint components;
        std::size_t offset;
    };
    static const Attribute layout[] = {
        { 0, 3, offsetof(ModelVertex, position) },
        { 2, 2, offsetof(ModelVertex, texCoord) },
        { 1, 3, offsetof(ModelVertex, normal) },
        { 5, 3, offsetof(ModelVertex, tangent) },
        { 7, 3, offsetof(ModelVertex, bitangent) },
    };

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.name);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(ModelVertex), vertices.data(), GL_STATIC_DRAW);
    vertexBuffer.count = vertices.size();
    for (const Attribute& attribute : layout) {
        glEnableVertexAttribArray(attribute.location);
        glVertexAttribPointer(attribute.location, attribute.components, GL_FLOAT, GL_FALSE,
            sizeof(ModelVertex), reinterpret_cast<void*>(attribute.offset));
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.name);
    glBufferData(
        GL_ELEMENT_ARRAY_BUFFER, triangles.size() * sizeof(triangles[0]), triangles.data(), GL_STATIC_DRAW);
    indexBuffer.count = triangles.size();
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void ModelMesh::draw(ShaderProgram& shader) const
{
    if (material) {
        shader.setTexture2D("textureNormal", 1, material->normal ? material->normal->id : 0);
        if (material->diffuse)
            shader.setTexture2D("texture", 0, material->diffuse->id);
    }
    if (indexBuffer.count == 0)
        return;
    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, 3 * indexBuffer.count, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}
