#include "Graphics/Textures.h"
#include "support/GLTestSupport.h"

static const sf::Color red = sf::Color::Red, green = sf::Color::Green, blue = sf::Color::Blue;

// One byte of texel (x, y, layer) of level 0 of a texture 2 texels square.
static int level0(GLenum target, GLuint id, int x, int y, int layer, int channel)
{
    std::vector<unsigned char> texels(4 * 4 * 4 * 4);
    glBindTexture(target, id);
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(target, 0);
    return texels[((layer * 2 + y) * 2 + x) * 4 + channel];
}

static GLint parameter(GLuint volume, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_3D, volume);
    glGetTexParameteriv(GL_TEXTURE_3D, name, &value);
    glBindTexture(GL_TEXTURE_3D, 0);
    return value;
}

TEST(TexturesTest, ImagesAreFlippedCachedOnlyWhenReadAndStackedOnlyWhenOfOneSize)
{
    ScratchDir scratch;
    scratch.image("resources/textures/cached.png", 2, { red, blue });
    Texture* texture = getTexture2D("cached.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(level0(GL_TEXTURE_2D, texture->id, 0, 0, 0, 2), 255) << "row t = 0 is the image's bottom, blue";
    std::filesystem::remove("resources/textures/cached.png");
    EXPECT_EQ(getTexture2D("cached.png"), texture) << "the file is read once";
    outputOf([] { EXPECT_EQ(getTexture2D("late.png"), nullptr); });
    scratch.image("resources/textures/late.png", 2, { green, green });
    EXPECT_NE(getTexture2D("late.png"), nullptr) << "a failure is not cached";

    // Arrays are cached by the ordered list of names.
    scratch.image("resources/textures/a.png", 2, { red, red });
    scratch.image("resources/textures/b.png", 2, { blue, blue });
    scratch.image("resources/textures/big.png", 4, { blue, blue, blue, blue });
    Texture* ab = getTextureArray({ "a.png", "b.png" });
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(ab->target, GLenum(GL_TEXTURE_2D_ARRAY));
    EXPECT_EQ(getTextureArray({ "a.png", "b.png" }), ab);
    Texture* ba = getTextureArray({ "b.png", "a.png" });
    ASSERT_NE(ba, nullptr);
    EXPECT_NE(ba->id, ab->id);
    EXPECT_EQ(level0(GL_TEXTURE_2D_ARRAY, ab->id, 0, 0, 0, 0), 255) << "layer 0 is the first name, red";
    EXPECT_EQ(level0(GL_TEXTURE_2D_ARRAY, ab->id, 0, 0, 1, 2), 255) << "layer 1 is the second name, blue";
    EXPECT_EQ(getTextureArray({}), nullptr);
    outputOf([] {
        EXPECT_EQ(getTextureArray({ "a.png", "big.png" }), nullptr) << "the sizes differ";
        EXPECT_EQ(getTextureArray({ "a.png", "gone.png" }), nullptr);
    });

    scratch.image("caustics/01.png", 2, { red, green });
    scratch.image("caustics/02.png", 2, { blue, blue });
    scratch.image("caustics/odd.png", 3, { blue, blue });
    const GLuint volume = createTexture3D({ "caustics/01.png", "caustics/02.png" }, true);
    ASSERT_NE(volume, 0u);
    EXPECT_EQ(parameter(volume, GL_TEXTURE_WRAP_R), GL_REPEAT);
    EXPECT_EQ(level0(GL_TEXTURE_3D, volume, 0, 0, 0, 0), 255)
        << "slices keep the file's row order: top row red";
    EXPECT_EQ(level0(GL_TEXTURE_3D, volume, 0, 0, 1, 2), 255) << "the second slice";
    EXPECT_EQ(parameter(createTexture3D({ "caustics/02.png" }, false), GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(createTexture3D({}, true), 0u);
    outputOf([] {
        EXPECT_EQ(createTexture3D({ "caustics/01.png", "caustics/odd.png", "caustics/02.png" }, true), 0u);
    });
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
