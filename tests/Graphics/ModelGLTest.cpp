#include "support/GLTestSupport.h"
#include "Graphics/Model.h"

#include <gtest/gtest.h>

namespace {

const char* const quadObj = "mtllib quad.mtl\n"
                            "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                            "vn 0 0 1\n"
                            "usemtl plain\n"
                            "f 1/1/1 2/2/1 3/3/1\n"
                            "usemtl bumpy\n"
                            "f 1/1/1 3/3/1 4/4/1\n";
const char* const quadMtl = "newmtl plain\nKd 1 1 1\nmap_Kd red.png\n"
                            "newmtl bumpy\nKd 1 1 1\nmap_Kd red.png\nmap_bump bump.png\nmap_Ks missing.png\n";

int count(const std::string& text, const std::string& part)
{
    int found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scratch.image("resources/textures/model/red.png", 2, { sf::Color::Red, sf::Color::Red });
        scratch.image("resources/textures/model/bump.png", 2, { sf::Color::Blue, sf::Color::Blue });
        scratch.image("resources/textures/grid.jpg", 8, std::vector<sf::Color>(8, sf::Color::White));
    }

    // Loads a model, returning what it wrote to standard output.
    std::string load(std::unique_ptr<Model>& model, const std::string& path)
    {
        testing::internal::CaptureStdout();
        model = std::make_unique<Model>(path);
        return testing::internal::GetCapturedStdout();
    }

    ScratchDir scratch;
};

TEST_F(ModelTest, MaterialsShareTheTexturesTheyName)
{
    scratch.write("resources/models/quad.obj", quadObj);
    scratch.write("resources/models/quad.mtl", quadMtl);
    std::unique_ptr<Model> model;
    const std::string out = load(model, "resources\\models\\quad.obj");

    EXPECT_EQ(count(out, "Info: Loading model texture: /models/red.png\n"), 1) << out;
    EXPECT_EQ(count(out, "Info: Loading model texture: /models/bump.png\n"), 1) << out;
    EXPECT_EQ(count(out, "Setting normal texture: bump.png\n"), 1) << out;
    EXPECT_EQ(count(out, "Error loading image data!\n"), 1) << "the missing specular map";
    ASSERT_EQ(model->textures.size(), 3u);
    EXPECT_EQ(model->textures.at("missing.png"), nullptr);

    ASSERT_EQ(model->meshes.size(), 2u);
    const ModelMesh& plain = model->meshes[0];
    const ModelMesh& bumpy = model->meshes[1];
    EXPECT_EQ(plain.triangles.size(), 1u);
    EXPECT_EQ(plain.indexBuffer.count, 1);
    EXPECT_EQ(plain.vertexBuffer.count, 3);
    ASSERT_NE(plain.material, nullptr);
    ASSERT_NE(bumpy.material, nullptr);
    EXPECT_NE(plain.material->diffuse, nullptr);
    EXPECT_EQ(plain.material->diffuse, bumpy.material->diffuse);
    EXPECT_EQ(plain.material->normal, nullptr);
    EXPECT_EQ(bumpy.material->normal, model->textures.at("bump.png"));
    EXPECT_EQ(bumpy.material->specular, nullptr);
    EXPECT_NE(bumpy.vertices[0].tangent[0] + bumpy.vertices[0].tangent[1], 0.0f)
        << "texture coordinates give tangents";
}

TEST_F(ModelTest, ModelDrawsItsTrianglesWithItsDiffuseTexture)
{
    scratch.write("resources/models/quad.obj", quadObj);
    scratch.write("resources/models/quad.mtl", quadMtl);
    scratch.write("resources/Shaders/flat.vert",
        "#version 120\nattribute vec3 vPosition;\nattribute vec2 vTexCoord;\nvarying vec2 uv;\n"
        "void main() { uv = vTexCoord; gl_Position = vec4(vPosition * 2.0 - 1.0, 1.0); }\n");
    scratch.write("resources/Shaders/flat.frag",
        "#version 120\nuniform sampler2D texture;\nvarying vec2 uv;\n"
        "void main() { gl_FragColor = texture2D(texture, uv); }\n");
    std::unique_ptr<Model> model;
    load(model, "resources/models/quad.obj");
    ShaderProgram shader("./Resources/Shaders/flat");

    OffscreenTarget target(16, 16);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    shader.use();
    model->draw(shader);
    useProgram(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_DEPTH_TEST);

    EXPECT_EQ(target.pixel(2, 2), (std::array<int, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(13, 13), (std::array<int, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelTest, DefaultMaterialGetsTheGridAndMissingChannelsAreZero)
{
    scratch.write("resources/models/bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    std::unique_ptr<Model> model;
    const std::string out = load(model, "resources/models/bare.obj");

    EXPECT_EQ(count(out, "default material\n"), 1) << out;
    ASSERT_EQ(model->meshes.size(), 1u);
    const ModelMesh& mesh = model->meshes[0];
    ASSERT_NE(mesh.material, nullptr);
    EXPECT_EQ(mesh.material->diffuse, getTexture2D("grid.jpg"));
    EXPECT_NE(mesh.material->diffuse, nullptr);
    ASSERT_EQ(mesh.vertices.size(), 3u);
    for (const ModelVertex& v : mesh.vertices) {
        EXPECT_EQ(v.texCoord[0], 0.0f);
        EXPECT_EQ(v.texCoord[1], 0.0f);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(v.tangent[i], 0.0f);
            EXPECT_EQ(v.bitangent[i], 0.0f);
        }
        EXPECT_NEAR(std::abs(v.normal[2]), 1.0f, 1e-5) << "normals are generated";
    }
}

TEST_F(ModelTest, MeshesWithoutTrianglesAndFailedImportsDrawNothing)
{
    scratch.write("resources/models/lines.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2\nl 2 3\n");
    std::unique_ptr<Model> lines;
    const std::string out = load(lines, "resources/models/lines.obj");
    EXPECT_EQ(count(out, "Error: Can't set buffers - vertices/indices missing.\n"), 1) << out;
    ASSERT_EQ(lines->meshes.size(), 1u);
    EXPECT_TRUE(lines->meshes[0].triangles.empty());

    std::unique_ptr<Model> missing;
    EXPECT_EQ(load(missing, "resources/models/nowhere.obj"), "Error: Model does not contain scene.\n");
    EXPECT_TRUE(missing->meshes.empty());

    ShaderProgram shader;
    lines->draw(shader);
    missing->draw(shader);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
