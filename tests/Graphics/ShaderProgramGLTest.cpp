#include "GLTestSupport.h"
#include "Graphics/ShaderProgram.h"

#include <FTGL/ftgl.h>
#include <gtest/gtest.h>

namespace {

const char* const vertexSource = "#version 120\n"
                                 "attribute vec3 vPosition;\n"
                                 "void main() { gl_Position = vec4(vPosition, 1.0); }\n";
const char* const fragmentSource
    = "#version 120\n"
      "uniform int mode;\n"
      "uniform sampler3D volume;\n"
      "void main() { gl_FragColor = texture3D(volume, vec3(0.5)) * float(mode); }\n";
const char* const geometrySource
    = "#version 150 compatibility\n"
      "layout(triangles) in;\n"
      "layout(triangle_strip, max_vertices = 3) out;\n"
      "void main() {\n"
      "  for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); }\n"
      "  EndPrimitive();\n"
      "}\n";

bool linked(GLuint program)
{
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

int count(const std::string& text, const std::string& part)
{
    int found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

class ShaderProgramTest : public ::testing::Test
{
protected:
    ScratchDir scratch;
};

TEST_F(ShaderProgramTest, MissingFragmentStageIsReportedOnceAndTheVertexStageStillLinks)
{
    scratch.write("resources/Shaders/plain.vert", vertexSource);

    testing::internal::CaptureStdout();
    ShaderProgram shader("./Resources/Shaders/plain");
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(out, "Shader failed to load: ./Resources/Shaders/plain.frag (empty or non-existant)\n");
    EXPECT_NE(shader.vertexShader, 0u);
    EXPECT_EQ(shader.fragmentShader, 0u);
    EXPECT_TRUE(linked(shader.program));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a failed stage must not leave a GL error";
}

TEST_F(ShaderProgramTest, CompileErrorPrintsTheDriverLogAndTheFailedPath)
{
    scratch.write("resources/Shaders/broken.vert", "#version 120\nvoid main() { gl_Position = nonsense; }\n");
    scratch.write("resources/Shaders/broken.frag", fragmentSource);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ShaderProgram shader("./Resources/Shaders/broken");
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(err.find("nonsense"), std::string::npos) << err;
    EXPECT_NE(out.find("Shader failed to load: ./Resources/Shaders/broken.vert\n"), std::string::npos) << out;
    EXPECT_EQ(count(out, "empty or non-existant"), 0);
    EXPECT_EQ(shader.vertexShader, 0u);
    EXPECT_NE(shader.fragmentShader, 0u);
}

TEST_F(ShaderProgramTest, LinkFailureIsReported)
{
    scratch.write("resources/Shaders/mismatch.vert",
        "#version 120\nvarying vec3 shared;\nvoid main() { shared = vec3(1.0); gl_Position = vec4(0.0); }\n");
    scratch.write("resources/Shaders/mismatch.frag",
        "#version 120\nvarying vec4 shared;\nvoid main() { gl_FragColor = shared; }\n");

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ShaderProgram shader("./Resources/Shaders/mismatch");
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_FALSE(linked(shader.program));
    EXPECT_EQ(out, "Shader program failed to link: ./Resources/Shaders/mismatch\n");
    EXPECT_FALSE(err.empty());

    // Its uniforms are simply absent; asking must not raise a GL error.
    shader.setInt("shared", 1);
    EXPECT_EQ(shader.uniformLocations.at("shared"), -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderProgramTest, GeometryStageIsReadOnlyOnRequestAndDroppedByReload)
{
    scratch.write("resources/Shaders/geo.vert", vertexSource);
    scratch.write("resources/Shaders/geo.frag", fragmentSource);
    scratch.write("resources/Shaders/geo.geom", geometrySource);
    scratch.write("resources/Shaders/broken_geo.vert", vertexSource);
    scratch.write("resources/Shaders/broken_geo.frag", fragmentSource);
    scratch.write("resources/Shaders/broken_geo.geom", "this is not GLSL");

    testing::internal::CaptureStdout();
    ShaderProgram withoutGeometry("./Resources/Shaders/broken_geo");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(withoutGeometry.geometryShader, 0u);

    ShaderProgram shader;
    shader.load("./Resources/Shaders/geo", true);
    EXPECT_NE(shader.geometryShader, 0u);
    EXPECT_TRUE(linked(shader.program));
    GLint attached = 0;
    glGetProgramiv(shader.program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 3);

    const GLuint before = shader.program;
    shader.getUniformLocation("mode");
    shader.reload();
    EXPECT_NE(shader.program, before);
    EXPECT_EQ(shader.geometryShader, 0u);
    EXPECT_TRUE(linked(shader.program));
    glGetProgramiv(shader.program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    EXPECT_TRUE(shader.uniformLocations.empty()) << "locations of the old program must not be reused";
}

// Counts the driver queries behind the uniform cache.
int uniformQueries = 0;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
GLint GLAPIENTRY countingGetUniformLocation(GLuint program, const GLchar* name)
{
    ++uniformQueries;
    return realGetUniformLocation(program, name);
}

TEST_F(ShaderProgramTest, UniformsAreLookedUpOnceAndUnknownOnesAreIgnored)
{
    scratch.write("resources/Shaders/u.vert", vertexSource);
    scratch.write("resources/Shaders/u.frag", fragmentSource);
    ShaderProgram shader("./Resources/Shaders/u");
    shader.use();
    EXPECT_EQ(currentProgram, shader.program);

    realGetUniformLocation = glGetUniformLocation;
    glGetUniformLocation = countingGetUniformLocation;
    uniformQueries = 0;
    shader.setInt("missing", 1);
    shader.setInt("missing", 2);
    shader.setVec3("missing", 1.0f, 2.0f, 3.0f);
    shader.setInt("mode", 7);
    shader.setInt("mode", 9);
    glGetUniformLocation = realGetUniformLocation;

    EXPECT_EQ(uniformQueries, 2);
    EXPECT_EQ(shader.uniformLocations.at("missing"), -1);
    GLint mode = 0;
    glGetUniformiv(shader.program, shader.uniformLocations.at("mode"), &mode);
    EXPECT_EQ(mode, 9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    useProgram(0);
    EXPECT_EQ(currentProgram, 0u);
}

TEST_F(ShaderProgramTest, TextureSetterLeavesItsUnitActiveWithTheTextureBound)
{
    scratch.write("resources/Shaders/t.vert", vertexSource);
    scratch.write("resources/Shaders/t.frag", fragmentSource);
    ShaderProgram shader("./Resources/Shaders/t");
    GLuint texture = 0;
    glGenTextures(1, &texture);

    shader.use();
    shader.setTexture3D("volume", 2, texture);

    GLint active = 0;
    GLint bound = 0;
    GLint sampler = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glGetUniformiv(shader.program, shader.getUniformLocation("volume"), &sampler);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    EXPECT_EQ(sampler, 2);

    glBindTexture(GL_TEXTURE_3D, 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &texture);
    useProgram(0);
}

// The shared programs, from the game's own resource folder.
class SharedProgramsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        createSharedPrograms();
        messages = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    }

    void SetUp() override
    {
        ASSERT_NE(basic, nullptr);
        ASSERT_TRUE(target.complete());
        pixelProjection(width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glActiveTexture(GL_TEXTURE0);
        basic->use();
    }

    void TearDown() override
    {
        useProgram(0);
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    static void quad(int x0, int y0, int x1, int y1)
    {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(x0, y0);
        glTexCoord2f(1, 0);
        glVertex2i(x1, y0);
        glTexCoord2f(1, 1);
        glVertex2i(x1, y1);
        glTexCoord2f(0, 1);
        glVertex2i(x0, y1);
        glEnd();
    }

    static inline std::string messages;
    static constexpr int width = 128;
    static constexpr int height = 64;
    OffscreenTarget target { width, height };
};

TEST_F(SharedProgramsTest, BothProgramsLoadAndLinkWithoutComplaint)
{
    ASSERT_NE(basic, nullptr);
    ASSERT_NE(basecolor, nullptr);
    EXPECT_EQ(messages, "");
    EXPECT_TRUE(linked(basic->program));
    EXPECT_TRUE(linked(basecolor->program));
}

TEST_F(SharedProgramsTest, BasicDrawsFlatColourWithNoTextureBound)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(0.0f, 1.0f, 0.0f);
    quad(10, 10, 50, 50);
    EXPECT_EQ(target.pixel(30, 30), (std::array<int, 4> { 0, 255, 0, 255 }));
}

TEST_F(SharedProgramsTest, BasicDrawsImagesTimesTheColour)
{
    const unsigned char pixels[] = { 255, 0, 0, 255, 0, 0, 0, 255 };
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    basic->setTexture2D("texture", 0, texture);
    basic->setInt("textured", 1);
    glColor3f(1.0f, 1.0f, 1.0f);
    quad(0, 0, 100, 40);
    basic->setInt("textured", 0);

    EXPECT_EQ(target.pixel(20, 20), (std::array<int, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(80, 20), (std::array<int, 4> { 0, 0, 0, 255 })) << "black image pixels stay black";
    glDeleteTextures(1, &texture);
}

TEST_F(SharedProgramsTest, TextDrawnByTheFontLibraryShowsInTheCurrentColour)
{
    FTBufferFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    ASSERT_FALSE(font.Error());
    font.FaceSize(40);
    glColor3f(1.0f, 1.0f, 0.0f);
    glRasterPos2i(0, 0);
    font.Render("HH", -1, FTPoint(8, 12));

    int lit = 0;
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto p = target.pixel(x, y);
            if (p[0] > 200 && p[1] > 200)
                ++lit;
            if (p[2] > 40)
                ++wrong;
        }
    }
    EXPECT_GT(lit, 100) << "the glyphs must be drawn";
    EXPECT_EQ(wrong, 0) << "text takes the current colour, yellow";
}

} // namespace
