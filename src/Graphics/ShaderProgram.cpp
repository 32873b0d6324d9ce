#include "Graphics/ShaderProgram.h"

#include "Game/ResourcePath.h"

#include <fstream>
#include <iostream>
#include <new>
#include <vector>

GLuint currentProgram = 0;
ShaderProgram* basic = nullptr;
ShaderProgram* basecolor = nullptr;

namespace {

// Index = attribute location.
const char* const attributeNames[]
    = { "vPosition", "vNormal", "vTexCoord", "vAlpha", "vMaterial", "vTangent", "vIntensity" };

std::string readSource(const std::string& path)
{
    std::ifstream file(resourcePath(path));
    std::string text;
    std::string line;
    while (std::getline(file, line))
        text += line + "\n";
    return text;
}

std::string infoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return "";
    std::vector<GLchar> log(length);
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

GLuint compileShader(GLenum type, const std::string& source)
{
    GLuint id = glCreateShader(type);
    if (id == 0)
        return 0;
    const GLchar* text = source.c_str();
    glShaderSource(id, 1, &text, nullptr);
    glCompileShader(id);
    GLint compiled = GL_FALSE;
    glGetShaderiv(id, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        std::cerr << infoLog(id, false);
        glDeleteShader(id);
        return 0;
    }
    return id;
}

GLuint loadShaderFile(GLenum type, const std::string& path)
{
    const std::string source = readSource(path);
    if (source.empty()) {
        std::cout << "Shader failed to load: " << path << " (empty or non-existant)\n";
        return 0;
    }
    GLuint id = compileShader(type, source);
    if (id == 0)
        std::cout << "Shader failed to load: " << path << "\n";
    return id;
}

// Attaching the id 0 of a failed stage would only queue GL_INVALID_VALUE for
// some unrelated error check to report later.
void attachIfLoaded(GLuint program, GLuint shader)
{
    if (shader != 0)
        glAttachShader(program, shader);
}

} // namespace

ShaderProgram::ShaderProgram()
    : program(glCreateProgram())
{
}

ShaderProgram::ShaderProgram(const std::string& basePath)
    : ShaderProgram()
{
    load(basePath, false);
}

ShaderProgram::~ShaderProgram()
{
    deleteStages();
    glDeleteProgram(program);
}

void ShaderProgram::load(const std::string& path, bool withGeometry)
{
    basePath = path;
    vertexShader = loadShaderFile(GL_VERTEX_SHADER, path + ".vert");
    fragmentShader = loadShaderFile(GL_FRAGMENT_SHADER, path + ".frag");
    attachIfLoaded(program, vertexShader);
    if (withGeometry) {
        geometryShader = loadShaderFile(GL_GEOMETRY_SHADER, path + ".geom");
        attachIfLoaded(program, geometryShader);
    }
    attachIfLoaded(program, fragmentShader);
    for (GLuint location = 0; location < sizeof(attributeNames) / sizeof(attributeNames[0]); ++location)
        glBindAttribLocation(program, location, attributeNames[location]);
    glLinkProgram(program);

    // A program that failed to link silently draws nothing; say why.
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::cout << "Shader program failed to link: " << path << "\n";
        std::cerr << infoLog(program, true) << "\n";
    }
}

void ShaderProgram::reload()
{
    deleteStages();
    glDeleteProgram(program);
    program = glCreateProgram();
    // The relinked program may place its uniforms elsewhere, so cached
    // locations would point at the wrong uniforms.
    uniformLocations.clear();
    load(basePath, false);
}

void ShaderProgram::deleteStages()
{
    glDeleteShader(vertexShader);
    glDeleteShader(geometryShader);
    glDeleteShader(fragmentShader);
    vertexShader = geometryShader = fragmentShader = 0;
}

void ShaderProgram::use() const
{
    useProgram(program);
}

GLint ShaderProgram::getUniformLocation(const std::string& name)
{
    auto found = uniformLocations.find(name);
    if (found != uniformLocations.end())
        return found->second;
    // Asking a program that did not link is an OpenGL error, which some later
    // error check would report out of place; it has no uniforms anyway.
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    const GLint location = linked == GL_TRUE ? glGetUniformLocation(program, name.c_str()) : -1;
    uniformLocations.emplace(name, location);
    return location;
}

void ShaderProgram::setInt(const std::string& name, int value)
{
    GLint location = getUniformLocation(name);
    if (location != -1)
        glUniform1i(location, value);
}

void ShaderProgram::setVec3(const std::string& name, float x, float y, float z)
{
    GLint location = getUniformLocation(name);
    if (location != -1)
        glUniform3f(location, x, y, z);
}

void ShaderProgram::setVec3(const std::string& name, const Vector3& v)
{
    setVec3(name, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

void ShaderProgram::setIVec3(const std::string& name, int x, int y, int z)
{
    GLint location = getUniformLocation(name);
    if (location != -1)
        glUniform3i(location, x, y, z);
}

void ShaderProgram::setMat4(const std::string& name, const float* m)
{
    GLint location = getUniformLocation(name);
    if (location != -1)
        glUniformMatrix4fv(location, 1, GL_FALSE, m);
}

void ShaderProgram::setTexture2D(const std::string& name, int unit, GLuint texture)
{
    setTexture(name, unit, GL_TEXTURE_2D, texture);
}

void ShaderProgram::setTexture3D(const std::string& name, int unit, GLuint texture)
{
    setTexture(name, unit, GL_TEXTURE_3D, texture);
}

void ShaderProgram::setTextureArray(const std::string& name, int unit, GLuint texture)
{
    setTexture(name, unit, GL_TEXTURE_2D_ARRAY, texture);
}

void ShaderProgram::setTexture(const std::string& name, int unit, GLenum target, GLuint texture)
{
    setInt(name, unit);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, texture);
}

void useProgram(GLuint program)
{
    glUseProgram(program);
    currentProgram = program;
}

void createSharedPrograms()
{
    delete basic;
    delete basecolor;
    basic = new (std::nothrow) ShaderProgram("./Resources/Shaders/basic");
    basecolor = new (std::nothrow) ShaderProgram("./Resources/Shaders/basecolor");
}
