#pragma once

// Helpers for the graphics tests that need an OpenGL context.

#include "Graphics/FrameBuffer.h"
#include "Graphics/Textures.h"

#include <GL/glew.h>
#include <SFML/Graphics/Image.hpp>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

// A fresh working directory for one test: resource files written under it are
// found through the game's relative "resources" paths. The previous working
// directory is restored and the folder removed afterwards.
class ScratchDir
{
public:
    ScratchDir()
        : previous(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/glebe-gfx-XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::current_path(root);
    }
    ~ScratchDir()
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    // Writes text to a path relative to the scratch folder, making its folders.
    void write(const std::string& path, const std::string& text) const
    {
        makeParent(path);
        std::ofstream(path) << text;
    }

    // Writes an image whose rows are listed top to bottom, one colour per row.
    void image(const std::string& path, unsigned width, const std::vector<sf::Color>& rows) const
    {
        makeParent(path);
        sf::Image picture;
        picture.create(width, rows.size());
        for (unsigned y = 0; y < rows.size(); ++y)
            for (unsigned x = 0; x < width; ++x)
                picture.setPixel(x, y, rows[y]);
        picture.saveToFile(path);
    }

private:
    static void makeParent(const std::string& path)
    {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent);
    }

    std::filesystem::path previous;
    std::filesystem::path root;
};

// A framebuffer of its own, so the tests read back exactly what they drew
// whatever the hidden window's pixel ownership. Bound while it lives, with a
// matching viewport.
class OffscreenTarget
{
public:
    OffscreenTarget(int width, int height)
        : depth(width, height)
    {
        colour.width = width;
        colour.height = height;
        glGenTextures(1, &colour.id);
        allocateRenderTarget(colour);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        attachColorTexture(colour);
        attachDepthRenderbuffer(depth);
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &colour.id);
    }

    bool complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }

    std::array<int, 4> pixel(int x, int y) const
    {
        unsigned char rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return { rgba[0], rgba[1], rgba[2], rgba[3] };
    }

    Texture colour;
    Renderbuffer depth;
    GLuint framebuffer = 0;
};

// Window-pixel projection like the game's 2D overlay, deep enough for small
// solid shapes around z = 0.
inline void pixelProjection(int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
