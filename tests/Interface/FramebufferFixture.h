#pragma once

// The interface's 2D drawing read back from a framebuffer of its own, with the
// window-pixel projection the game's overlay uses and a window of the same size.

#include "Game/Fonts.h"
#include "Game/Window.h"

#include <GL/glew.h>
#include <array>
#include <gtest/gtest.h>

template <int Width, int Height> class FramebufferFixture : public testing::Test
{
protected:
    static constexpr int width = Width;
    static constexpr int height = Height;

    void SetUp() override
    {
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        ASSERT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        Window::getInstance().onResize(width, height);
        ASSERT_FALSE(Fonts::getInstance().hasError());
    }

    void TearDown() override
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colour);
    }

    std::array<int, 4> pixel(int x, int y) const
    {
        unsigned char rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return { rgba[0], rgba[1], rgba[2], rgba[3] };
    }

    GLuint colour = 0;
    GLuint framebuffer = 0;
};
