#include "Graphics/FrameBuffer.h"
#include "support/GLTestSupport.h"

TEST(FrameBufferTest, CheckReportsOnePendingErrorWithTheFileNameOnly)
{
    while (glGetError() != GL_NO_ERROR) { }
    EXPECT_EQ(outputOf([] { checkGLError("Plain.cpp", 1); }), "");
    for (const auto& [file, shown] : { std::pair { "C:\\src\\Graphics\\FrameBuffer.cpp", "FrameBuffer.cpp" },
             { "src/Graphics/Mixed\\Path.cpp", "Path.cpp" }, { "Plain.cpp", "Plain.cpp" } }) {
        glEnable(0xFFFF);
        EXPECT_EQ(outputOf([&] { checkGLError(file, 57); }),
            "An internal OpenGL call failed in " + std::string(shown)
                + " (57) : GL_INVALID_ENUM, an unacceptable value has been specified for an enumerated "
                  "argument\n");
    }
    EXPECT_EQ(outputOf([] { checkGLError("Plain.cpp", 2); }), "")
        << "the error was fetched by the previous check";
    EXPECT_STREQ(describeGLError(0x0507).name, "unknown error");
}

TEST(FrameBufferTest, RenderTargetAndDepthBufferMakeACompleteFramebufferOfTheirSize)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    Texture colour, never;
    colour.width = 64;
    colour.height = 32;
    glGenTextures(1, &colour.id);
    EXPECT_EQ(outputOf([&] {
        allocateRenderTarget(colour);
        Renderbuffer depth(64, 32);
        attachColorTexture(colour);
        attachDepthRenderbuffer(depth);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, 64, 32);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        unsigned char rgba[4] = {};
        glReadPixels(63, 31, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        EXPECT_EQ(rgba[2], 255);
    }),
        "");
    never.id = 987654;
    const std::string out = outputOf([&] { attachColorTexture(never); });
    EXPECT_EQ(out.rfind("An internal OpenGL call failed in FrameBuffer.cpp (", 0), 0u) << out;
    EXPECT_NE(out.find("GL_INVALID_OPERATION"), std::string::npos) << out;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colour.id);
}
