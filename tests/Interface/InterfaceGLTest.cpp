// The interface's windows, images and overlays drawn into a framebuffer of
// their own and read back.
#include "Game/Fonts.h"
#include "Game/Window.h"
#include "Graphics/ShaderProgram.h"
#include "Interface/ComponentContainer.h"
#include "Interface/Console.h"
#include "Interface/ImageContainer.h"
#include "Interface/Interface.h"
#include "Interface/StatsManager.h"
#include "Interface/TextField.h"
#include "support/GLTestSupport.h"

#include <cstdlib>
#include <memory>

namespace {
class InterfaceGLTest : public OffscreenTest<600, 400>
{
protected:
    void SetUp() override
    {
        OffscreenTest::SetUp();
        Window::getInstance().onResize(width, height);
        ASSERT_FALSE(Fonts::getInstance().hasError());
        ui->buildMenus();
        ui->addAboutPages();
        ui->update(0.0);
        clear(1.0f);
    }
    static void clear(float grey)
    {
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Pixels of the rows [bottom, top) with more than a little green.
    int brightPixels(int left, int bottom, int right, int top) const
    {
        int count = 0;
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x)
                count += pixel(x, y)[1] > 100;
        return count;
    }
    std::unique_ptr<Interface> ui = std::make_unique<Interface>();
};

// Where the loading bar, the console and the menu show is left to the
// end-to-end tests; here the GL state they must leave as they found it.
TEST_F(InterfaceGLTest, LoadingScreenAndConsoleLeaveTheStateAsTheyFoundIt)
{
    Console& console = Console::getInstance();
    console.resize(width, height);
    if (!console.isOpen())
        console.keyPressed(sf::Keyboard::Tilde, false);
    ui->loading = true;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    useProgram(0);
    ui->draw(50.0);
    // The bar is drawn at all, green, a quarter of the width in.
    EXPECT_GT(pixel(width / 4 + 10, (4 * height) / 10 - 3)[1], 200);
    console.draw();
    console.keyPressed(sf::Keyboard::Tilde, false);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(InterfaceGLTest, HoveredWindowShowsItsGripAndAHiddenOneNothing)
{
    TextField text("GL_WINDOW_TEXT", "Some text", false);
    ComponentContainer window("GL_WINDOW", "Window");
    window.setFirst(&text);
    window.setPosition(100, 100);
    window.setSize(200, 100);
    ui->addWindow(&window);
    ui->mouseMoved(150, 150);
    ui->draw(0.0);
    const Pixel grip = pixel(295, 195);
    EXPECT_TRUE(std::abs(grip[0] - 204) <= 2 && grip[1] <= 2 && std::abs(grip[2] - 77) <= 2);
    // The title bar sits above the body.
    EXPECT_TRUE(pixel(250, 215)[0] > 60 && pixel(250, 215)[0] < 255);
    window.setVisible(false);
    clear(1.0f);
    ui->draw(0.0);
    EXPECT_EQ(pixel(150, 150), (Pixel { 255, 255, 255, 255 }));
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
    const Pixel left = pixel(70, 100), right = pixel(130, 100);
    EXPECT_TRUE(std::abs(left[0] - 230) <= 3 && left[2] < 5 && right[0] < 5 && std::abs(right[2] - 230) <= 3);
    // Flat shapes drawn after it are not textured.
    GLint textured = -1;
    glGetUniformiv(basic->program, basic->getUniformLocation("textured"), &textured);
    EXPECT_EQ(textured, 0);
    useProgram(0);
    glDeleteTextures(1, &texture);
}

TEST_F(InterfaceGLTest, StatisticsStackUpwardsWithoutGapsForHiddenOnes)
{
    StatsManager& stats = StatsManager::getInstance();
    clear(0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    stats.handleCommand({ "hide" });
    stats.setStat("overlay test", 1.0);
    stats.draw();
    EXPECT_EQ(0, brightPixels(width - 400, 0, width, height));
    stats.handleCommand({ "show" });
    stats.draw();
    int rows = 0;
    while (15 + rows * 15 < height && brightPixels(width - 400, 15 + rows * 15, width, 30 + rows * 15))
        ++rows;
    ASSERT_GT(rows, 0);
    EXPECT_EQ(0, brightPixels(width - 400, 15 + rows * 15, width, height));
    // Hiding the first statistic moves the rest down a row.
    stats.handleCommand({ "hide", "0" });
    clear(0.0f);
    stats.draw();
    EXPECT_EQ(0, brightPixels(width - 400, 15 + (rows - 1) * 15, width, height));
    stats.handleCommand({ "show", "0" });
    stats.handleCommand({ "hide" });
}
}
