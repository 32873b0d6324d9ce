// The interface's loading screen, menu, windows, images and the console and
// statistics overlays, drawn into a framebuffer of their own and read back.
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
    // Pixels of the rows [bottom, top) whose channel exceeds the threshold.
    int brightPixels(int left, int bottom, int right, int top, int threshold, int channel = 1) const
    {
        int count = 0;
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x)
                count += pixel(x, y)[channel] > threshold;
        return count;
    }

    std::unique_ptr<Interface> ui = std::make_unique<Interface>();
};

TEST_F(InterfaceGLTest, LoadingScreenShowsItsProgressAndLeavesTheStateAsItFoundIt)
{
    ui->loading = true;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    useProgram(0);
    ui->draw(50.0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    // The bar runs from a quarter of the width for half of half the width, 5
    // pixels high below 40% of the height.
    const int y0 = (4 * height) / 10;
    const Pixel bar = pixel(width / 4 + 10, y0 - 3);
    EXPECT_GT(bar[1], 200);
    EXPECT_LT(bar[0], 120);
    EXPECT_LT(pixel(width / 2 + 10, y0 - 3)[1], 150);
    // The background fades to black at the top and covers the whole window.
    const Pixel top = pixel(width / 2, height - 1);
    EXPECT_LT(top[0] + top[1] + top[2], 10);
    EXPECT_LT(pixel(5, 0)[0], 255);
}

TEST_F(InterfaceGLTest, MenuButtonsAndTheHoveredWindowsGripAreDrawn)
{
    ui->keyPressed(sf::Keyboard::Escape, false);
    ui->draw(0.0);
    const InterfaceComponent* exit = ui->findComponent("SC_EXIT_BUTTON");
    const auto [x, y] = exit->getPosition();
    const auto [w, h] = exit->getSize();
    // The body shades from dark at its bottom to the scheme's grey at its top;
    // the label is the only white on it.
    const Pixel low = pixel(x + 3, y + 2), high = pixel(x + 3, y + h - 3);
    EXPECT_LT(low[0], high[0]);
    EXPECT_GT(high[0], 80);
    EXPECT_GT(brightPixels(x + 2, y + 2, x + w - 2, y + h - 2, 200, 2), 40);

    ui->keyPressed(sf::Keyboard::Escape, false);
    TextField text("GL_WINDOW_TEXT", "Some text", false);
    ComponentContainer window("GL_WINDOW", "Window");
    window.setFirst(&text);
    window.setPosition(100, 100);
    window.setSize(200, 100);
    ui->addWindow(&window);
    ui->mouseMoved(150, 150);
    clear(1.0f);
    ui->draw(0.0);
    const Pixel grip = pixel(295, 195);
    EXPECT_NEAR(grip[0], 204, 2);
    EXPECT_NEAR(grip[1], 0, 2);
    EXPECT_NEAR(grip[2], 77, 2);
    // The title bar sits above the body.
    EXPECT_GT(pixel(250, 215)[0], 60);
    EXPECT_LT(pixel(250, 215)[0], 255);
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
    EXPECT_NEAR(left[0], 230, 3);
    EXPECT_LT(left[2], 5);
    EXPECT_LT(right[0], 5);
    EXPECT_NEAR(right[2], 230, 3);
    // Flat shapes drawn after it are not textured.
    GLint textured = -1;
    glGetUniformiv(basic->program, basic->getUniformLocation("textured"), &textured);
    EXPECT_EQ(textured, 0);
    useProgram(0);
    glDeleteTextures(1, &texture);
}

TEST_F(InterfaceGLTest, ConsoleShowsItsCommandLineOverADarkBandAndRestoresState)
{
    Console& console = Console::getInstance();
    console.resize(width, height);
    if (!console.isOpen())
        console.keyPressed(sf::Keyboard::Tilde, false);
    for (int i = 0; i < 8; ++i)
        console.keyPressed(sf::Keyboard::M, false);
    glEnable(GL_DEPTH_TEST);
    console.draw();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_LT(pixel(width - 3, height - 150)[0], 90);
    EXPECT_EQ(255, pixel(width / 2, height - 330)[0]);
    // The typed letters stand out from the command line's dark band.
    EXPECT_GT(brightPixels(0, height - 325, 200, height - 300, 128), 20);
    EXPECT_EQ(0, brightPixels(300, height - 325, width, height - 300, 128));
    console.keyPressed(sf::Keyboard::Tilde, false);
}

TEST_F(InterfaceGLTest, StatisticsStackUpwardsWithoutGapsForHiddenOnes)
{
    StatsManager& stats = StatsManager::getInstance();
    clear(0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    stats.handleCommand({ "hide" });
    stats.setStat("overlay test", 1.0);
    stats.draw();
    EXPECT_EQ(0, brightPixels(width - 400, 0, width, height, 100));
    stats.handleCommand({ "show" });
    stats.draw();
    int rows = 0;
    while (15 + rows * 15 < height && brightPixels(width - 400, 15 + rows * 15, width, 30 + rows * 15, 100))
        ++rows;
    ASSERT_GT(rows, 0);
    EXPECT_EQ(0, brightPixels(width - 400, 15 + rows * 15, width, height, 100));
    // Hiding the first statistic moves the rest down a row.
    stats.handleCommand({ "hide", "0" });
    clear(0.0f);
    stats.draw();
    EXPECT_EQ(0, brightPixels(width - 400, 15 + (rows - 1) * 15, width, height, 100));
    stats.handleCommand({ "show", "0" });
    stats.handleCommand({ "hide" });
}
}
