// The console's transcript and command line as the text fields it draws.
#include "FixedTextMeasure.h"
#include "Game/Window.h"
#include "Interface/Console.h"

#include <algorithm>

namespace {
class ConsoleTextFieldsTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        Window::getInstance().onResize(800, 600);
        console.resize(800, 600);
        if (!console.isOpen())
            console.keyPressed(sf::Keyboard::Tilde, false);
    }
    void TearDown() override
    {
        if (console.isOpen())
            console.keyPressed(sf::Keyboard::Tilde, false);
        FixedTextMeasure::TearDown();
    }

    void type(const std::string& line)
    {
        for (char c : line)
            console.keyPressed(
                c == ' ' ? sf::Keyboard::Space : static_cast<sf::Keyboard::Key>(c - 'a'), false);
    }

    Console& console = Console::getInstance();
};

TEST_F(ConsoleTextFieldsTest, TranscriptShowsTheCommandAndItsReplyAtItsEnd)
{
    type("no such");
    EXPECT_EQ(console.inputView().getText(), "> no such_");
    console.keyPressed(sf::Keyboard::Enter, false);
    EXPECT_EQ(console.inputView().getText(), "> _");

    const TextField& output = console.outputView();
    const auto& lines = output.getLines();
    const int count = static_cast<int>(lines.size());
    ASSERT_GE(count, 3);
    // Every entry ends " \n\n ": the reply, an empty line, and a space that
    // begins the next line.
    EXPECT_EQ(lines[count - 4], " >no such ");
    EXPECT_EQ(lines[count - 3], " Unrecognized command: \"no\" ");
    EXPECT_EQ(output.getFirstLine(), std::max(0, count - output.getVisibleLines()));
}

TEST_F(ConsoleTextFieldsTest, UpAndDownScrollTheTranscriptByTwoLines)
{
    for (int i = 0; i < 10; ++i)
        console.log("filler");
    const int end = console.outputView().getFirstLine();
    ASSERT_GT(end, 4);
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Up, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Up, false));
    EXPECT_EQ(console.outputView().getFirstLine(), end - 4);
    console.keyPressed(sf::Keyboard::Down, false);
    EXPECT_EQ(console.outputView().getFirstLine(), end - 2);
    console.keyPressed(sf::Keyboard::Down, false);
    console.keyPressed(sf::Keyboard::Down, false);
    EXPECT_EQ(console.outputView().getFirstLine(), end);

    // New text brings the end back into view.
    console.keyPressed(sf::Keyboard::Up, false);
    console.log("more");
    const TextField& output = console.outputView();
    EXPECT_EQ(output.getFirstLine(), static_cast<int>(output.getLines().size()) - output.getVisibleLines());
}

TEST_F(ConsoleTextFieldsTest, FieldsFollowTheWindowAndTheResizeIsLogged)
{
    Window::getInstance().onResize(1024, 768);
    console.resize(1024, 768);
    const TextField& output = console.outputView();
    EXPECT_EQ(output.getPosition(), std::make_pair(0, 468));
    EXPECT_EQ(output.getSize(), std::make_pair(1024, 300));
    EXPECT_EQ(console.inputView().getPosition(), std::make_pair(0, 443));
    EXPECT_EQ(console.inputView().getSize(), std::make_pair(1024, 25));
    // Lines are 15 pixels apart here: (300 - 10) / 15 of them fit.
    EXPECT_EQ(output.getVisibleLines(), 19);
    const auto& lines = output.getLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Window Resized to: 1024x768 "), lines.end());
    Window::getInstance().onResize(800, 600);
    console.resize(800, 600);
}
}
