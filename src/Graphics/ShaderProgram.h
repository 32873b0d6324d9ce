#pragma once

#include "Graphics/Vector3.h"

#include <GL/glew.h>
#include <map>
#include <string>

// One linked GLSL program loaded from basePath + ".vert", ".frag" and, on
// request, ".geom". Vertex attributes always sit at the same locations
// (0 vPosition, 1 vNormal, 2 vTexCoord, 3 vAlpha, 4 vMaterial, 5 vTangent,
// 6 vIntensity), so every mesh can be fed to every program.
// Main thread only: every operation needs the OpenGL context.
class ShaderProgram
{
public:
    ShaderProgram();
    explicit ShaderProgram(const std::string& basePath);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Failed stages are reported and left out; the program then draws nothing.
    void load(const std::string& basePath, bool withGeometry);
    // Rebuilds the program from the same files, without a geometry stage.
    void reload();
    // Makes this program current (see useProgram).
    void use() const;

    GLint getUniformLocation(const std::string& name);
    void setInt(const std::string& name, int value);
    void setVec3(const std::string& name, float x, float y, float z);
    void setVec3(const std::string& name, const Vector3& v);
    void setIVec3(const std::string& name, int x, int y, int z);
    void setMat4(const std::string& name, const float* m);
    // Point the sampler at the unit and bind the texture there; the unit is
    // left active.
    void setTexture2D(const std::string& name, int unit, GLuint texture);
    void setTexture3D(const std::string& name, int unit, GLuint texture);
    void setTextureArray(const std::string& name, int unit, GLuint texture);

    GLuint program;
    GLuint vertexShader = 0;
    GLuint geometryShader = 0;
    GLuint fragmentShader = 0;
    std::string basePath;
    std::map<std::string, GLint> uniformLocations;

private:
    void setTexture(const std::string& name, int unit, GLenum target, GLuint texture);
    void deleteStages();
};

// The program last made current with useProgram, 0 for the fixed pipeline.
extern GLuint currentProgram;
// glUseProgram that keeps currentProgram up to date; every program switch in
// the game goes through it.
void useProgram(GLuint program);

// The two shared programs: basic draws the 2D overlay (text, images, plain
// colours), basecolor draws vertex-coloured geometry. Null until
// createSharedPrograms() has run in the scene set-up.
extern ShaderProgram* basic;
extern ShaderProgram* basecolor;
void createSharedPrograms();
