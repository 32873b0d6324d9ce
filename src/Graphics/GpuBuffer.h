#pragma once

#include <GL/glew.h>

// An OpenGL buffer as its users keep it: the name, handed out by the
// BufferPool, and how many elements (vertices, triangles) were last uploaded.
struct GpuBuffer
{
    GLuint name = 0;
    int count = 0;
};
