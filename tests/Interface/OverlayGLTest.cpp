// The console's and the statistics' 2D overlays, drawn into a framebuffer of
// their own and read back.
#include "FramebufferFixture.h"
#include "Interface/Console.h"
#include "Interface/StatsManager.h"

#include <GL/glew.h>
#include <array>
#include <gtest/gtest.h>

namespace {
class OverlayGLTest : public FramebufferFixture<500, 400>
{
protected:
    void clear(float grey)
    {
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // Pixels of the rows [bottom, top) whose green exceeds the threshold.
    int brightPixels(int left, int bottom, int right, int top, int threshold) const
    {
        int count = 0;
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x)
                count += pixel(x, y)[1] > threshold;
        return count;
    }
};
}

TEST_F(OverlayGLTest, ConsoleShowsItsCommandLineOverADarkBandAndRestoresState)
{
    Console& console = Console::getInstance();
    if (!console.isOpen())
        console.keyPressed(sf::Keyboard::Tilde, false);
    for (int i = 0; i < 8; ++i)
        console.keyPressed(sf::Keyboard::M, false);
    clear(1.0f);
    glEnable(GL_DEPTH_TEST);

    console.draw();

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    const std::array<int, 4> band = pixel(width - 3, height - 150);
    EXPECT_LT(band[0], 90);
    EXPECT_EQ(255, pixel(width / 2, height - 330)[0]);
    // The typed letters stand out from the command line's dark band.
    EXPECT_GT(brightPixels(0, height - 325, 200, height - 300, 128), 20);
    EXPECT_EQ(0, brightPixels(300, height - 325, width, height - 300, 128));

    console.keyPressed(sf::Keyboard::Tilde, false);
}

TEST_F(OverlayGLTest, StatisticsStackUpwardsWithoutGapsForHiddenOnes)
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
    const int rows = height / 15;
    int firstEmptyRow = rows;
    for (int row = 0; row < rows; ++row)
        if (brightPixels(width - 400, 15 + row * 15, width, 30 + row * 15, 100) == 0) {
            firstEmptyRow = row;
            break;
        }
    ASSERT_GT(firstEmptyRow, 0);
    EXPECT_EQ(0, brightPixels(width - 400, 15 + firstEmptyRow * 15, width, height, 100));

    // Hiding the first statistic moves the rest down a row.
    stats.handleCommand({ "hide", "0" });
    clear(0.0f);
    stats.draw();
    EXPECT_EQ(0, brightPixels(width - 400, 15 + (firstEmptyRow - 1) * 15, width, height, 100));
    stats.handleCommand({ "show", "0" });
    stats.handleCommand({ "hide" });
}
