#include "Graphics/Model.h"
#include "support/GLTestSupport.h"

// Loads a model, leaving out what it reports as it goes.
static std::unique_ptr<Model> load(const std::string& path)
{
    std::unique_ptr<Model> model;
    outputOf([&] { model = std::make_unique<Model>(path); });
    return model;
}

TEST(ModelTest, MeshesGetTheMaterialsTheirFacesNameOrTheDefaultAndDrawWithThem)
{
    ScratchDir scratch;
    scratch.image("resources/textures/model/red.png", 2, { sf::Color::Red, sf::Color::Red });
    scratch.image("resources/textures/model/bump.png", 2, { sf::Color::Blue, sf::Color::Blue });
    scratch.write("resources/models/quad.obj",
        "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
        "usemtl plain\nf 1/1/1 2/2/1 3/3/1\nusemtl bumpy\nf 1/1/1 3/3/1 4/4/1\n");
    scratch.write("resources/models/quad.mtl",
        "newmtl plain\nKd 1 1 1\nmap_Kd red.png\n"
        "newmtl bumpy\nKd 1 1 1\nmap_Kd red.png\nmap_bump bump.png\nmap_Ks missing.png\n");
    const auto model = load("resources\\models\\quad.obj");
    ASSERT_EQ(model->textures.size(), 3u);
    ASSERT_EQ(model->meshes.size(), 2u);
    const ModelMesh& plain = model->meshes[0];
    const ModelMesh& bumpy = model->meshes[1];
    ASSERT_TRUE(plain.material && bumpy.material);
    EXPECT_NE(plain.material->diffuse, nullptr);
    EXPECT_EQ(plain.material->diffuse, bumpy.material->diffuse) << "one texture for both materials";
    EXPECT_EQ(plain.material->normal, nullptr);
    EXPECT_EQ(bumpy.material->normal, model->textures.at("bump.png"));
    EXPECT_EQ(bumpy.material->specular, nullptr) << "a missing map is left out";
    EXPECT_NE(bumpy.vertices[0].tangent[0] + bumpy.vertices[0].tangent[1], 0.0f)
        << "texture coordinates give tangents";
    scratch.write("resources/Shaders/flat.vert",
        "#version 120\nattribute vec3 vPosition;\nattribute vec2 vTexCoord;\nvarying vec2 uv;\n"
        "void main() { uv = vTexCoord; gl_Position = vec4(vPosition * 2.0 - 1.0, 1.0); }\n");
    scratch.write("resources/Shaders/flat.frag",
        "#version 120\nuniform sampler2D texture;\nvarying vec2 uv;\n"
        "void main() { gl_FragColor = texture2D(texture, uv); }\n");
    ShaderProgram shader("./Resources/Shaders/flat");
    OffscreenTarget target(16, 16);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    shader.use();
    model->draw(shader);
    useProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(target.pixel(2, 2), (Pixel { 255, 0, 0, 255 })) << "the first triangle";
    EXPECT_EQ(target.pixel(2, 13), (Pixel { 255, 0, 0, 255 })) << "the second triangle";

    scratch.image("resources/textures/grid.jpg", 8, std::vector<sf::Color>(8, sf::Color::White));
    scratch.write("resources/models/bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const auto bare = load("resources/models/bare.obj");
    ASSERT_EQ(bare->meshes.size(), 1u);
    ASSERT_NE(bare->meshes[0].material, nullptr);
    EXPECT_EQ(bare->meshes[0].material->diffuse, getTexture2D("grid.jpg"));
    ASSERT_EQ(bare->meshes[0].vertices.size(), 3u);
    for (const ModelVertex& v : bare->meshes[0].vertices) {
        EXPECT_EQ(v.texCoord[0] + v.texCoord[1] + v.tangent[0] + v.bitangent[1], 0.0f)
            << "missing channels are zero";
        EXPECT_NEAR(std::abs(v.normal[2]), 1.0f, 1e-5) << "normals are generated";
    }
    scratch.write("resources/models/lines.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2\nl 2 3\n");
    const auto lines = load("resources/models/lines.obj");
    ASSERT_EQ(lines->meshes.size(), 1u);
    EXPECT_TRUE(lines->meshes[0].triangles.empty());
    // The importer that read the earlier models must not hand their scene back.
    const auto missing = load("resources/models/nowhere.obj");
    EXPECT_TRUE(missing->meshes.empty());
    shader.use();
    lines->draw(shader);
    missing->draw(shader);
    useProgram(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
