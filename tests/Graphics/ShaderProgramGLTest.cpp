#include "Graphics/ShaderProgram.h"
#include "support/GLTestSupport.h"

#include <FTGL/ftgl.h>

namespace {

const char* const vertexSource = "#version 120\nattribute vec3 vPosition;\n"
                                 "void main() { gl_Position = vec4(vPosition, 1.0); }\n";
const char* const fragmentSource
    = "#version 120\nuniform int mode;\nuniform sampler3D volume;\n"
      "void main() { gl_FragColor = texture3D(volume, vec3(0.5)) * float(mode); }\n";

GLint programValue(GLuint program, GLenum name)
{
    GLint value = 0;
    glGetProgramiv(program, name, &value);
    return value;
}

// Counts the driver queries behind the uniform cache.
int uniformQueries = 0;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
GLint GLAPIENTRY countingGetUniformLocation(GLuint program, const GLchar* name)
{
    ++uniformQueries;
    return realGetUniformLocation(program, name);
}

class ShaderProgramTest : public ::testing::Test
{
protected:
    // Loads "./Resources/Shaders/<name>" from the given sources (none: no
    // file), returning standard output and error.
    std::string load(std::unique_ptr<ShaderProgram>& shader, const std::string& name, const char* vert,
        const char* frag, const char* geom = nullptr)
    {
        for (const auto& [stage, source] :
            { std::pair { ".vert", vert }, { ".frag", frag }, { ".geom", geom } })
            if (source)
                scratch.write("resources/Shaders/" + name + stage, source);
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
    EXPECT_EQ(shader->fragmentShader, 0u);
    EXPECT_EQ(programValue(shader->program, GL_LINK_STATUS), GL_TRUE) << "the vertex stage alone still links";

    const std::string broken
        = load(shader, "broken", "#version 120\nvoid main() { gl_Position = nonsense; }\n", fragmentSource);
    EXPECT_NE(broken.find("nonsense"), std::string::npos) << "the driver's log: " << broken;
    EXPECT_NE(broken.find("Shader failed to load: ./Resources/Shaders/broken.vert\n"), std::string::npos);
    EXPECT_EQ(shader->vertexShader, 0u);

    const std::string mismatch = load(shader, "mismatch",
        "#version 120\nvarying vec3 v;\nvoid main() { v = vec3(1.0); gl_Position = vec4(0.0); }\n",
        "#version 120\nvarying vec4 v;\nvoid main() { gl_FragColor = v; }\n");
    EXPECT_EQ(programValue(shader->program, GL_LINK_STATUS), GL_FALSE);
    EXPECT_EQ(mismatch.rfind("Shader program failed to link: ./Resources/Shaders/mismatch\n", 0), 0u)
        << mismatch;
    // A program that did not link simply has no uniforms.
    shader->setInt("v", 1);
    EXPECT_EQ(shader->uniformLocations.at("v"), -1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShaderProgramTest, UniformsAreLookedUpOnceUntilAReloadWhichDropsTheGeometryStage)
{
    std::unique_ptr<ShaderProgram> shader;
    EXPECT_EQ(load(shader, "junk", vertexSource, fragmentSource, "this is not GLSL"), "")
        << "the geometry stage is read only on request";
    load(shader, "geo", vertexSource, fragmentSource,
        "#version 150 compatibility\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
        "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } "
        "}\n");
    shader = std::make_unique<ShaderProgram>();
    shader->load("./Resources/Shaders/geo", true);
    EXPECT_EQ(programValue(shader->program, GL_ATTACHED_SHADERS), 3);
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
    GLint value = 0;
    glGetUniformiv(shader->program, shader->getUniformLocation("mode"), &value);
    EXPECT_EQ(value, 9);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    shader->setTexture3D("volume", 2, texture);
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glGetUniformiv(shader->program, shader->getUniformLocation("volume"), &value);
    EXPECT_EQ(active, GL_TEXTURE2) << "texture setters leave their unit active";
    EXPECT_EQ(GLuint(bound), texture);
    EXPECT_EQ(value, 2);
    glBindTexture(GL_TEXTURE_3D, 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &texture);
    useProgram(0);
    EXPECT_EQ(currentProgram, 0u);

    const GLuint before = shader->program;
    shader->reload();
    EXPECT_NE(shader->program, before);
    EXPECT_EQ(shader->geometryShader, 0u);
    EXPECT_EQ(programValue(shader->program, GL_ATTACHED_SHADERS), 2);
    EXPECT_TRUE(shader->uniformLocations.empty()) << "locations of the old program must not be reused";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The basic program from the game's resources draws the 2D overlay: flat
// shapes, images and text must all look as they would without it.
class BasicProgramTest : public OffscreenTest<128, 64>
{
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        createSharedPrograms();
        EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
        ASSERT_TRUE(basic && basecolor);
        ASSERT_EQ(programValue(basic->program, GL_LINK_STATUS), GL_TRUE);
        ASSERT_EQ(programValue(basecolor->program, GL_LINK_STATUS), GL_TRUE);
        OffscreenTest::SetUp();
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
        for (const auto& [u, v] : { std::pair { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } }) {
            glTexCoord2i(u, v);
            glVertex2i(u ? x1 : x0, v * height);
        }
        glEnd();
    }
};

TEST_F(BasicProgramTest, FlatShapesTakeTheColourAndImagesAreMultipliedByIt)
{
    glColor3f(0.0f, 1.0f, 0.0f);
    quad(0, 20);
    EXPECT_EQ(pixel(10, 30), (Pixel { 0, 255, 0, 255 }));

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
    EXPECT_EQ(pixel(40, 30), (Pixel { 255, 0, 0, 255 }));
    EXPECT_EQ(pixel(120, 30), (Pixel { 0, 0, 0, 255 })) << "black image pixels stay black";
}

TEST_F(BasicProgramTest, TextDrawnByTheFontLibraryShowsInTheCurrentColour)
{
    FTBufferFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    ASSERT_FALSE(font.Error());
    font.FaceSize(40);
    glColor3f(1.0f, 1.0f, 0.0f);
    font.Render("HH", -1, FTPoint(8, 12));
    int lit = 0, wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixel(x, y);
            lit += p[0] > 200 && p[1] > 200;
            wrong += p[2] > 40;
        }
    }
    EXPECT_GT(lit, 100) << "the glyphs must be drawn";
    EXPECT_EQ(wrong, 0) << "text takes the current colour, yellow";
}

} // namespace
