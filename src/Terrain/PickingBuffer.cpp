#include "Terrain/PickingBuffer.h"

PickingBuffer::PickingBuffer(int width, int height)
{
    glGenTextures(1, &colour.id);
    glGenFramebuffers(1, &framebuffer);
    allocate(width, height);
}

PickingBuffer::~PickingBuffer()
{
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colour.id);
}

void PickingBuffer::allocate(int width, int height)
{
    colour.width = width;
    colour.height = height;
    allocateRenderTarget(colour);
    depth = std::make_unique<Renderbuffer>(width, height);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    attachColorTexture(colour);
    attachDepthRenderbuffer(*depth);
    glBindFramebuffer(GL_FRAMEBUFFER, bound);
}

void PickingBuffer::begin(int width, int height)
{
    if (width != colour.width || height != colour.height)
        allocate(width, height);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PickingBuffer::end()
{
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
}

std::array<int, 3> PickingBuffer::colourAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= colour.width || y >= colour.height)
        return { 255, 255, 255 };
    unsigned char rgba[4] = { 255, 255, 255, 255 };
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return { rgba[0], rgba[1], rgba[2] };
}
