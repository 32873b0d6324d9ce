// Overlay text over the brightest ground: a label keeps white text readable
// over white, where plain text would vanish.
#include "FramebufferFixture.h"
#include "Interface/Draw2D.h"
#include "Interface/TextMeasure.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace {
class Draw2DGLTest : public FramebufferFixture<200, 60>
{
};
}

TEST_F(Draw2DGLTest, ALabelSetsWhiteTextOnADarkPanelOverSnow)
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::string text = "FPS: 59.8";
    Draw2D().drawLabel(text, 10, 10, { 1.0f, 1.0f, 1.0f, 1.0f });
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    const auto size = TextMeasure::size(text);
    int textPixels = 0, darkPixels = 0, area = 0;
    for (int y = 10; y < 10 + size.second; ++y)
        for (int x = 10; x < 10 + size.first; ++x, ++area) {
            const int green = pixel(x, y)[1];
            textPixels += green > 240;
            darkPixels += green < 130;
        }
    // The glyphs stay white and most of the box around them is dark.
    EXPECT_GT(textPixels, 15);
    EXPECT_GT(darkPixels, area / 2);
    EXPECT_LT(pixel(5, 5)[1], 130) << "the panel reaches beyond the text";
    EXPECT_EQ(255, pixel(size.first + 30, 30)[1]) << "and no further";
}
