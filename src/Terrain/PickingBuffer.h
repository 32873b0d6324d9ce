#pragma once

#include "Graphics/FrameBuffer.h"
#include "Graphics/Textures.h"

#include <GL/glew.h>
#include <array>
#include <memory>

// The off-screen picture in which every model instance is drawn in the
// colour of its number (see ModelInstances): a colour texture and a depth
// buffer the size of the window. Main thread only.
class PickingBuffer
{
public:
    PickingBuffer(int width, int height);
    ~PickingBuffer();
    PickingBuffer(const PickingBuffer&) = delete;
    PickingBuffer& operator=(const PickingBuffer&) = delete;

    // Binds the buffer and clears it to white, which names no instance. A
    // window of another size resizes it first, keeping the texture's name, so
    // that pixels keep matching the window and whatever shows the texture
    // keeps showing it. The clear colour is left white.
    void begin(int width, int height);
    // Binds the framebuffer that was bound at begin() again: the window's in
    // the game.
    void end();
    // The colour at a window pixel, read from the buffer while it is bound;
    // white outside it.
    std::array<int, 3> colourAt(int x, int y) const;

    const Texture& texture() const { return colour; }

private:
    void allocate(int width, int height);

    Texture colour;
    std::unique_ptr<Renderbuffer> depth;
    GLuint framebuffer = 0;
    GLint previous = 0;
};
