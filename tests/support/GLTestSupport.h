#pragma once

// What the GL test programs share: captured output, a scratch resource folder,
// a framebuffer of the tests' own to draw into and read back, and a fixture
// that draws in window pixels into one. The context itself comes from GLTestMain.cpp.

#include <GL/glew.h>
#include <SFML/Graphics/Image.hpp>
#include <array>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using Pixel = std::array<int, 4>;

// What a call writes to standard output, then to standard error.
template <class Call> std::string outputOf(Call&& call)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    call();
    const std::string err = testing::internal::GetCapturedStderr();
    return testing::internal::GetCapturedStdout() + err;
}

// A fresh working directory for one test: resource files written under it are
// found through the game's relative "resources" paths. The previous working
// directory is restored and the folder removed afterwards.
class ScratchDir
{
public:
    ScratchDir()
        : previous(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/glebe-gl-XXXXXX";
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

// RGBA colour with depth and stencil, built from plain GL calls so that it
// does not lean on the code under test, and so the tests read back exactly
// what they drew whatever the hidden window's pixel ownership. Bound while it
// lives, with a matching viewport.
class OffscreenTarget
{
public:
    OffscreenTarget(int width, int height)
    {
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glFramebufferRenderbuffer(
            GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, renderbuffers);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    bool complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }

    Pixel pixel(int x, int y) const
    {
        unsigned char rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return { rgba[0], rgba[1], rgba[2], rgba[3] };
    }

    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {};
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

// Each test draws into a cleared black target of its own in window pixels.
template <int Width, int Height> class OffscreenTest : public testing::Test
{
protected:
    static constexpr int width = Width;
    static constexpr int height = Height;

    void SetUp() override
    {
        ASSERT_TRUE(target.complete());
        pixelProjection(width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }

    Pixel pixel(int x, int y) const { return target.pixel(x, y); }

    OffscreenTarget target { Width, Height };
};
