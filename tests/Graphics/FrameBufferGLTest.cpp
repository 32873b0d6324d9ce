#include "GLTestSupport.h"
#include "Graphics/FrameBuffer.h"

#include <gtest/gtest.h>

namespace {

std::string reportFor(const std::string& file, int line)
{
    testing::internal::CaptureStdout();
    checkGLError(file, line);
    return testing::internal::GetCapturedStdout();
}

TEST(FrameBufferTest, ErrorTableNamesEveryCodeAndFallsBackForOthers)
{
    const struct
    {
        GLenum code;
        std::string name;
        std::string description;
    } table[] = {
        { 0x0500, "GL_INVALID_ENUM", "an unacceptable value has been specified for an enumerated argument" },
        { 0x0501, "GL_INVALID_VALUE", "a numeric argument is out of range" },
        { 0x0502, "GL_INVALID_OPERATION", "the specified operation is not allowed in the current state" },
        { 0x0503, "GL_STACK_OVERFLOW", "this command would cause a stack overflow" },
        { 0x0504, "GL_STACK_UNDERFLOW", "this command would cause a stack underflow" },
        { 0x0505, "GL_OUT_OF_MEMORY", "there is not enough memory left to execute the command" },
        { 0x0506, "GL_INVALID_FRAMEBUFFER_OPERATION_EXT",
            "the object bound to FRAMEBUFFER_BINDING_EXT is not \"framebuffer complete\"" },
        { 0x0507, "unknown error", "no description" },
    };
    for (const auto& row : table) {
        const GLErrorInfo info = describeGLError(row.code);
        EXPECT_EQ(info.name, row.name);
        EXPECT_EQ(info.description, row.description);
    }
}

TEST(FrameBufferTest, CheckReportsOnePendingErrorWithTheFileNameOnly)
{
    while (glGetError() != GL_NO_ERROR) { }
    EXPECT_EQ(reportFor("C:\\work\\src\\Graphics\\FrameBuffer.cpp", 3), "");

    const std::string enumError
        = " : GL_INVALID_ENUM, an unacceptable value has been specified for an enumerated argument\n";
    glEnable(0xFFFF);
    EXPECT_EQ(reportFor("C:\\work\\src\\Graphics\\FrameBuffer.cpp", 57),
        "An internal OpenGL call failed in FrameBuffer.cpp (57)" + enumError);
    glEnable(0xFFFF);
    EXPECT_EQ(reportFor("src/Graphics/Mixed\\Path.cpp", 9),
        "An internal OpenGL call failed in Path.cpp (9)" + enumError);
    glEnable(0xFFFF);
    EXPECT_EQ(reportFor("Plain.cpp", 1), "An internal OpenGL call failed in Plain.cpp (1)" + enumError);
    EXPECT_EQ(reportFor("Plain.cpp", 2), "") << "the error was fetched by the previous check";
}

TEST(FrameBufferTest, RenderTargetAndDepthBufferMakeACompleteFramebuffer)
{
    testing::internal::CaptureStdout();
    {
        OffscreenTarget target(64, 32);
        EXPECT_TRUE(target.complete());
        EXPECT_EQ(target.depth.width, 64);
        EXPECT_EQ(target.depth.format, static_cast<GLenum>(GL_DEPTH_COMPONENT));

        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(target.pixel(63, 31), (std::array<int, 4> { 0, 0, 255, 255 }));
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(FrameBufferTest, AttachingATextureThatWasNeverMadeIsReported)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    Texture never;
    never.id = 987654;

    testing::internal::CaptureStdout();
    attachColorTexture(never);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("An internal OpenGL call failed in FrameBuffer.cpp (", 0), 0u) << out;
    EXPECT_NE(out.find("GL_INVALID_OPERATION"), std::string::npos) << out;

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}

} // namespace
