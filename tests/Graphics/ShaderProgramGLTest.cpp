#include "support/GLTestSupport.h"
#include "Graphics/ShaderProgram.h"

#include <FTGL/ftgl.h>
#include <gtest/gtest.h>

namespace {

const char* const vertexSource = "#version 120\nattribute vec3 vPosition;\n"
                                 "void main() { gl_Position = vec4(vPosition, 1.0); }\n";
const char* const fragmentSource
    = "#version 120\nuniform int mode;\nuniform sampler3D volume;\n"
      "void main() { gl_FragColor = texture3D(volume, vec3(0.5)) * float(mode); }\n";
const char* const geometrySource = "#version 150 compatibility\nlayout(triangles) in;\n"
                                   "layout(triangle_strip, max_vertices = 3) out;\n"
                                   "void main() { for (int i = 0; i < 3; ++i) {\n"
                                   "  gl_Position = gl_in[i].gl_Position; EmitVertex(); } }\n";

bool linked(GLuint program)
{
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

GLint attachedShaders(GLuint program)
{
    GLint attached = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &attached);
    return attached;
}

class ShaderProgramTest : public ::testing::Test
{
protected:
    // Loads "./Resources/Shaders/<name>" from the given sources (none: no
    // file), returning standard output and error.
    std::string load(
        std::unique_ptr<ShaderProgram>& shader, const std::string& name, const char* vert, const char* frag)
    {
        if (vert)
            scratch.write("resources/Shaders/" + name + ".vert", vert);
        if (frag)
            scratch.write("resources/Shaders/" + name + ".frag", frag);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        shader = std::make_unique<ShaderProgram>("./Resources/Shaders/" + name);
        const std::string err = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout() + err;
    }

    ScratchDir scratch;
};

TEST_F(ShaderProgramTest, FailedStagesAndLinksAreReportedAndLeaveNoGLError)
{
    std::unique_ptr<ShaderProgram> shader;
    EXPECT_EQ(load(shader, "plain", vertexSource, nullptr),
        "Shader failed to load: ./Resources/Shaders/plain.frag (empty or non-existant)\n");
    EXPECT_NE(shader->vertexShader, 0u);
    EXPECT_EQ(shader->fragmentShader, 0u);
    EXPECT_TRUE(linked(shader->program)) << "the vertex stage alone still links";

    const std::string broken
        = load(shader, "broken", "#version 120\nvoid main() { gl_Position = nonsense; }\n", fragmentSource);
    EXPECT_NE(broken.find("nonsense"), std::string::npos) << "the driver's log: " << broken;
    EXPECT_NE(broken.find("Shader failed to load: ./Resources/Shaders/broken.vert\n"), std::string::npos);
    EXPECT_EQ(broken.find("empty or non-existant"), std::string::npos);
    EXPECT_EQ(shader->vertexShader, 0u);

    const std::string mismatch = load(shader, "mismatch",
        "#version 120\nvarying vec3 v;\nvoid main() { v = vec3(1.0); gl_Position = vec4(0.0); }\n",
        "#version 120\nvarying vec4 v;\nvoid main() { gl_FragColor = v; }\n");
    EXPECT_FALSE(linked(shader->program));
    EXPECT_EQ(mismatch.rfind("Shader program failed to link: ./Resources/Shaders/mismatch\n", 0), 0u)
        << mismatch;
    // A program that did not link simply has no uniforms.
    shader->setInt("v", 1);
    EXPECT_EQ(shader->uniformLocations.at("v"), -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderProgramTest, GeometryStageIsReadOnlyOnRequestAndDroppedByReload)
{
    scratch.write("resources/Shaders/junk.geom", "this is not GLSL");
    std::unique_ptr<ShaderProgram> withoutGeometry;
    EXPECT_EQ(load(withoutGeometry, "junk", vertexSource, fragmentSource), "");

    scratch.write("resources/Shaders/geo.vert", vertexSource);
    scratch.write("resources/Shaders/geo.frag", fragmentSource);
    scratch.write("resources/Shaders/geo.geom", geometrySource);
    ShaderProgram shader;
    shader.load("./Resources/Shaders/geo", true);
    EXPECT_NE(shader.geometryShader, 0u);
    EXPECT_EQ(attachedShaders(shader.program), 3);

    const GLuint before = shader.program;
    shader.getUniformLocation("mode");
    shader.reload();
    EXPECT_NE(shader.program, before);
    EXPECT_EQ(shader.geometryShader, 0u);
    EXPECT_TRUE(linked(shader.program));
    EXPECT_EQ(attachedShaders(shader.program), 2);
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

TEST_F(ShaderProgramTest, UniformsAreLookedUpOnceAndTextureSettersLeaveTheirUnitActive)
{
    std::unique_ptr<ShaderProgram> shader;
    load(shader, "u", vertexSource, fragmentSource);
    shader->use();
    EXPECT_EQ(currentProgram, shader->program);

    realGetUniformLocation = glGetUniformLocation;
    glGetUniformLocation = countingGetUniformLocation;
    shader->setInt("missing", 1);
    shader->setVec3("missing", 1.0f, 2.0f, 3.0f);
    shader->setInt("mode", 7);
    shader->setInt("mode", 9);
    glGetUniformLocation = realGetUniformLocation;
    EXPECT_EQ(uniformQueries, 2);
    EXPECT_EQ(shader->uniformLocations.at("missing"), -1);
    GLint value = 0;
    glGetUniformiv(shader->program, shader->getUniformLocation("mode"), &value);
    EXPECT_EQ(value, 9);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    shader->setTexture3D("volume", 2, texture);
    GLint active = 0;
    GLint bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glGetUniformiv(shader->program, shader->getUniformLocation("volume"), &value);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    EXPECT_EQ(value, 2);

    glBindTexture(GL_TEXTURE_3D, 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &texture);
    useProgram(0);
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The basic program from the game's resources draws the 2D overlay: flat
// shapes, images and text must all look as they would without it.
class BasicProgramTest : public ::testing::Test
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
        ASSERT_EQ(messages, "");
        ASSERT_TRUE(basic && basecolor && linked(basic->program) && linked(basecolor->program));
        pixelProjection(width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        basic->use();
    }

    void TearDown() override
    {
        useProgram(0);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    static void quad(int x0, int x1)
    {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(x0, 0);
        glTexCoord2f(1, 0);
        glVertex2i(x1, 0);
        glTexCoord2f(1, 1);
        glVertex2i(x1, height);
        glTexCoord2f(0, 1);
        glVertex2i(x0, height);
        glEnd();
    }

    static inline std::string messages;
    static constexpr int width = 128;
    static constexpr int height = 64;
    OffscreenTarget target { width, height };
};

TEST_F(BasicProgramTest, FlatShapesTakeTheColourAndImagesAreMultipliedByIt)
{
    glColor3f(0.0f, 1.0f, 0.0f);
    quad(0, 20);
    EXPECT_EQ(target.pixel(10, 30), (std::array<int, 4> { 0, 255, 0, 255 }));

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
    quad(28, 128);
    basic->setInt("textured", 0);
    glDeleteTextures(1, &texture);

    EXPECT_EQ(target.pixel(40, 30), (std::array<int, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(120, 30), (std::array<int, 4> { 0, 0, 0, 255 }))
        << "black image pixels stay black";
}

TEST_F(BasicProgramTest, TextDrawnByTheFontLibraryShowsInTheCurrentColour)
{
    FTBufferFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    ASSERT_FALSE(font.Error());
    font.FaceSize(40);
    glColor3f(1.0f, 1.0f, 0.0f);
    font.Render("HH", -1, FTPoint(8, 12));

    int lit = 0;
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto p = target.pixel(x, y);
            lit += p[0] > 200 && p[1] > 200;
            wrong += p[2] > 40;
        }
    }
    EXPECT_GT(lit, 100) << "the glyphs must be drawn";
    EXPECT_EQ(wrong, 0) << "text takes the current colour, yellow";
}

} // namespace
