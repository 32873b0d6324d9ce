#include "Graphics/FrameBuffer.h"
#include "support/GLTestSupport.h"

// The render target helpers themselves are drawn through by the terrain's
// picking buffer, whose GL test reads picks back from it.
TEST(FrameBufferTest, OnePendingErrorIsReportedWithTheFileNameOnly)
{
    while (glGetError() != GL_NO_ERROR) { }
    EXPECT_EQ(outputOf([] { checkGLError("Plain.cpp", 1); }), "");
    for (const auto& [file, shown] : { std::pair { "C:\\src\\Graphics\\FrameBuffer.cpp", "FrameBuffer.cpp" },
             { "src/Graphics/Mixed\\Path.cpp", "Path.cpp" }, { "Plain.cpp", "Plain.cpp" } }) {
        glEnable(0xFFFF);
        const char* path = file;
        EXPECT_EQ(outputOf([path] { checkGLError(path, 57); }),
            "An internal OpenGL call failed in " + std::string(shown)
                + " (57) : GL_INVALID_ENUM, an unacceptable value has been specified for an enumerated "
                  "argument\n");
    }
    EXPECT_EQ(outputOf([] { checkGLError("Plain.cpp", 2); }), "")
        << "the error was fetched by the previous check";
    EXPECT_STREQ(describeGLError(0x0507).name, "unknown error");

    Texture never;
    never.id = 987654;
    const std::string out = outputOf([&] { attachColorTexture(never); });
    EXPECT_EQ(out.rfind("An internal OpenGL call failed in FrameBuffer.cpp (", 0), 0u) << out;
    EXPECT_NE(out.find("GL_INVALID_OPERATION"), std::string::npos) << out;
}
