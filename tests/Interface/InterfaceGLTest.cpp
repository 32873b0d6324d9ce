// The interface's loading screen, menu and windows drawn into a framebuffer
// of their own and read back.
#include "FramebufferFixture.h"
#include "Graphics/ShaderProgram.h"
#include "Interface/ComponentContainer.h"
#include "Interface/ImageContainer.h"
#include "Interface/Interface.h"
#include "Interface/TextField.h"

#include <GL/glew.h>
#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {
class InterfaceGLTest : public FramebufferFixture<600, 400>
{
protected:
    void SetUp() override
    {
        FramebufferFixture::SetUp();
        if (HasFatalFailure())
            return;
        ui = std::make_unique<Interface>();
        ui->buildMenus();
        ui->addAboutPages();
        ui->update(0.0);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    std::unique_ptr<Interface> ui;
};

TEST_F(InterfaceGLTest, LoadingScreenShowsItsProgressAndLeavesTheStateAsItFoundIt)
{
    ui->loading = true;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    useProgram(0);
    ui->draw(50.0);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    // The bar runs from a quarter of the width for half of half the width, 5
    // pixels high below 40% of the height.
    const int y0 = (4 * height) / 10;
    const auto bar = pixel(width / 4 + 10, y0 - 3);
    EXPECT_GT(bar[1], 200);
    EXPECT_LT(bar[0], 120);
    const auto rest = pixel(width / 4 + width / 4 + 10, y0 - 3);
    EXPECT_LT(rest[1], 150);
    // The background fades to black at the top and covers the whole window.
    const auto top = pixel(width / 2, height - 1);
    EXPECT_LT(top[0] + top[1] + top[2], 10);
    const auto bottom = pixel(5, 0);
    EXPECT_LT(bottom[0], 255);
}

TEST_F(InterfaceGLTest, MenuDrawsItsButtonsOverTheBackground)
{
    ui->keyPressed(sf::Keyboard::Escape, false);
    ui->draw(0.0);
    const InterfaceComponent* exit = ui->findComponent("SC_EXIT_BUTTON");
    const auto position = exit->getPosition();
    const auto size = exit->getSize();
    // The body shades from dark at its bottom to the scheme's grey at its top.
    const auto low = pixel(position.first + 3, position.second + 2);
    const auto high = pixel(position.first + 3, position.second + size.second - 3);
    EXPECT_LT(low[0], high[0]);
    EXPECT_GT(high[0], 80);
    // The label is the only white on the button.
    int white = 0;
    for (int y = position.second + 2; y < position.second + size.second - 2; ++y)
        for (int x = position.first + 2; x < position.first + size.first - 2; ++x)
            white += pixel(x, y)[2] > 200;
    EXPECT_GT(white, 40);
}

TEST_F(InterfaceGLTest, HoveredWindowShowsItsGrip)
{
    TextField text("GL_WINDOW_TEXT", "Some text", false);
    ComponentContainer window("GL_WINDOW", "Window");
    window.setFirst(&text);
    window.setPosition(100, 100);
    window.setSize(200, 100);
    ui->addWindow(&window);
    ui->mouseMoved(150, 150);
    ui->draw(0.0);
    const auto grip = pixel(295, 195);
    EXPECT_NEAR(grip[0], 204, 2);
    EXPECT_NEAR(grip[1], 0, 2);
    EXPECT_NEAR(grip[2], 77, 2);
    // The title bar sits above the body.
    const auto bar = pixel(250, 215);
    EXPECT_GT(bar[0], 60);
    EXPECT_LT(bar[0], 255);

    window.setVisible(false);
    glClear(GL_COLOR_BUFFER_BIT);
    ui->draw(0.0);
    EXPECT_EQ(pixel(150, 150), (std::array<int, 4> { 255, 255, 255, 255 }));
}

TEST_F(InterfaceGLTest, ImageShowsItsTextureThroughTheOverlayProgram)
{
    createSharedPrograms();
    ASSERT_NE(basic, nullptr);
    // Left column red, right column blue.
    const unsigned char texels[] = { 255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255 };
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);

    ImageContainer image("GL_IMAGE", texture);
    image.setPosition(50, 50);
    image.setSize(100, 100);
    useProgram(basic->program);
    image.draw();

    EXPECT_EQ(currentProgram, basic->program);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    const auto left = pixel(70, 100);
    EXPECT_NEAR(left[0], 230, 3);
    EXPECT_LT(left[2], 5);
    const auto right = pixel(130, 100);
    EXPECT_LT(right[0], 5);
    EXPECT_NEAR(right[2], 230, 3);
    // Flat shapes drawn after it are not textured.
    GLint textured = -1;
    glGetUniformiv(basic->program, basic->getUniformLocation("textured"), &textured);
    EXPECT_EQ(textured, 0);
    useProgram(0);
    glDeleteTextures(1, &texture);
}
}
