#pragma once

#include "Graphics/Textures.h"

#include <GL/glew.h>
#include <cstdint>
#include <string>
#include <vector>

// Off-screen rendering helpers and the OpenGL error report. The caller binds
// its framebuffer object before attaching and unbinds it afterwards.
// Main thread only.

struct GLErrorInfo
{
    const char* name;
    const char* description;
};
GLErrorInfo describeGLError(GLenum error);

// Fetches one pending OpenGL error, if any, and reports it on standard output
// with the file's last path component and the line.
void checkGLError(const std::string& file, int line);

// A depth renderbuffer; deleted with the object.
class Renderbuffer
{
public:
    Renderbuffer(int width, int height);
    ~Renderbuffer();
    Renderbuffer(const Renderbuffer&) = delete;
    Renderbuffer& operator=(const Renderbuffer&) = delete;

    GLuint id = 0;
    int width;
    int height;
    GLenum format = GL_DEPTH_COMPONENT;
};

// Empty RGBA storage for a colour render target whose id the caller generated.
void allocateRenderTarget(const Texture& texture);
void attachColorTexture(const Texture& texture);
void attachDepthRenderbuffer(const Renderbuffer& renderbuffer);

// The read buffer's width x height pixels as image files hold them: RGBA, top
// row first, and opaque, whatever alpha the blending left behind.
std::vector<std::uint8_t> readImagePixels(int width, int height);
