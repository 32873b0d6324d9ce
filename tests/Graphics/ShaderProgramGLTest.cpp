#include "Graphics/ShaderProgram.h"
#include "support/GLTestSupport.h"

static const char* const vertexSource = "#version 120\nattribute vec3 vPosition;\n"
                                        "void main() { gl_Position = vec4(vPosition, 1.0); }\n";
static const char* const fragmentSource
    = "#version 120\nuniform int mode;\nuniform sampler3D volume;\n"
      "void main() { gl_FragColor = texture3D(volume, vec3(0.5)) * float(mode); }\n";

static GLint programValue(GLuint program, GLenum name)
{
    GLint value = 0;
    glGetProgramiv(program, name, &value);
    return value;
}

class ShaderProgramTest : public ::testing::Test
{
protected:
    // Loads "./Resources/Shaders/<name>" from the given sources (none: no
    // file), returning standard output and error.
    std::string load(const std::string& name, const char* vert, const char* frag, const char* geom = nullptr)
    {
        for (const auto& [stage, source] :
            { std::pair { ".vert", vert }, { ".frag", frag }, { ".geom", geom } })
            if (source)
                scratch.write("resources/Shaders/" + name + stage, source);
        return outputOf([&] { shader = std::make_unique<ShaderProgram>("./Resources/Shaders/" + name); });
    }
    ScratchDir scratch;
    std::unique_ptr<ShaderProgram> shader;
};

TEST_F(ShaderProgramTest, FailuresAreReportedUniformsReachTheProgramAndReloadDropsTheGeometryStage)
{
    EXPECT_EQ(load("plain", vertexSource, nullptr),
        "Shader failed to load: ./Resources/Shaders/plain.frag (empty or non-existant)\n");
    EXPECT_EQ(programValue(shader->program, GL_LINK_STATUS), GL_TRUE) << "the vertex stage alone still links";
    const std::string broken
        = load("broken", "#version 120\nvoid main() { gl_Position = nonsense; }\n", fragmentSource);
    EXPECT_NE(broken.find("nonsense"), std::string::npos) << "the driver's log: " << broken;
    EXPECT_NE(broken.find("Shader failed to load: ./Resources/Shaders/broken.vert\n"), std::string::npos);
    EXPECT_EQ(shader->vertexShader, 0u);
    const std::string mismatch = load("mismatch",
        "#version 120\nvarying vec3 v;\nvoid main() { v = vec3(1.0); gl_Position = vec4(0.0); }\n",
        "#version 120\nvarying vec4 v;\nvoid main() { gl_FragColor = v; }\n");
    EXPECT_EQ(programValue(shader->program, GL_LINK_STATUS), GL_FALSE);
    EXPECT_EQ(mismatch.rfind("Shader program failed to link: ./Resources/Shaders/mismatch\n", 0), 0u)
        << mismatch;
    // A program that did not link simply has no uniforms.
    shader->setInt("v", 1);
    EXPECT_EQ(shader->uniformLocations.at("v"), -1);

    EXPECT_EQ(load("junk", vertexSource, fragmentSource, "this is not GLSL"), "")
        << "the geometry stage is read only on request";
    load("geo", vertexSource, fragmentSource,
        "#version 150 compatibility\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
        "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } "
        "}\n");
    shader = std::make_unique<ShaderProgram>();
    shader->load("./Resources/Shaders/geo", true);
    EXPECT_EQ(programValue(shader->program, GL_ATTACHED_SHADERS), 3);
    shader->use();
    EXPECT_EQ(currentProgram, shader->program);
    shader->setVec3("missing", 1.0f, 2.0f, 3.0f);
    shader->setInt("mode", 9);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    shader->setTexture3D("volume", 2, texture);
    GLint mode = 0, unit = 0, active = 0, bound = 0;
    glGetUniformiv(shader->program, shader->getUniformLocation("mode"), &mode);
    glGetUniformiv(shader->program, shader->getUniformLocation("volume"), &unit);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    EXPECT_EQ(mode, 9);
    EXPECT_EQ(unit, 2);
    EXPECT_EQ(active, GL_TEXTURE2) << "texture setters leave their unit active";
    EXPECT_EQ(GLuint(bound), texture);
    glBindTexture(GL_TEXTURE_3D, 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &texture);
    useProgram(0);
    EXPECT_EQ(currentProgram, 0u);
    const GLuint before = shader->program;
    shader->reload();
    EXPECT_NE(shader->program, before);
    EXPECT_EQ(programValue(shader->program, GL_ATTACHED_SHADERS), 2);
    EXPECT_TRUE(shader->uniformLocations.empty()) << "locations of the old program must not be reused";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
