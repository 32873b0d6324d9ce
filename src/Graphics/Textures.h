#pragma once

#include <GL/glew.h>
#include <cstdint>
#include <string>
#include <vector>

// A texture made by this module or a render target. Cached textures are owned
// by their cache and live until exit.
struct Texture
{
    GLuint id = 0;
    int width = 0;
    int height = 0;
    GLenum target = GL_TEXTURE_2D;
    bool mipmapped = true;
};

// Decoded 8-bit RGBA pixels; empty pixels (0 x 0) when decoding failed.
struct ImageData
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Starts decoding the images on a thread of its own, so that the reads that
// follow take the pixels instead of the files: start-up decodes while the
// main thread does other work. Each listed path serves one later read; a
// read waits for its image if the thread has not reached it yet. Any thread.
void prefetchImages(const std::vector<std::string>& paths);

// Rows bottom-up, as OpenGL expects them.
ImageData readImage(const std::string& path);
// Rows in the file's top-down order.
ImageData readImageUnflipped(const std::string& path);

// Names are relative to "resources\\textures\\". Both return null when an
// image cannot be read (or, for arrays, when the list is empty or the sizes
// differ); failures are not cached. Main thread only: the caches have no lock.
Texture* getTexture2D(const std::string& name);
// An array for an alpha test passes a cutoff: its mipmap levels then keep
// the share of texels whose alpha reaches it (see uploadWithMipmaps), and
// the cache keeps it apart from the same images without one.
Texture* getTextureArray(const std::vector<std::string>& names, float alphaCutoff = 0.0f);
// Full paths, one depth slice per image; 0 on failure. Not cached.
GLuint createTexture3D(const std::vector<std::string>& paths, bool repeat);
