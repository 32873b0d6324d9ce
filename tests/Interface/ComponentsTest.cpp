// Containers and text fields on their own, measured by FixedTextMeasure.
#include "FixedTextMeasure.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/TextField.h"

#include <array>
#include <deque>
#include <tuple>
#include <vector>

namespace {
using Rect = std::array<int, 4>;
using Lines = std::deque<std::string>;
using Point = std::pair<int, int>;

Rect rect(const InterfaceComponent& c)
{
    return { c.getPosition().first, c.getPosition().second, c.getSize().first, c.getSize().second };
}
void place(InterfaceComponent& c)
{
    c.setPosition(100, 100);
    c.setSize(200, 100);
}

class ComponentsTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        // Lines of at most 10 characters (the wrap width is the width less 20), three of them shown.
        field.setSize(10 * charWidth + 20, 55);
    }
    TextField field { "FIELD", "", true }, a { "A", "", false }, b { "B", "", false };
};

TEST_F(ComponentsTest, ContainerSplitsItsInnerAreaBetweenItsChildren)
{
    // Stacked, the first child is the upper one.
    const std::tuple<bool, double, Rect, Rect> cases[] = {
        { false, 0.5, { 101, 101, 98, 98 }, { 201, 101, 98, 98 } },
        { true, 0.25, { 101, 176, 198, 23 }, { 101, 101, 198, 73 } },
        { false, 0.3, { 101, 101, 58, 98 }, { 161, 101, 138, 98 } },
    };
    for (const auto& [stacked, split, first, second] : cases) {
        ComponentContainer panel("PANEL", "");
        place(panel);
        panel.setStacked(stacked);
        panel.setSplit(split);
        // A lone child fills the inner area, and the chosen split survives it.
        panel.setSecond(&b);
        EXPECT_EQ(rect(b), (Rect { 101, 101, 198, 98 }));
        panel.setFirst(&a);
        EXPECT_TRUE(rect(a) == first && rect(b) == second) << split;
    }
}

TEST_F(ComponentsTest, WindowMovesByItsTitleBarAndResizesByItsGrip)
{
    ComponentContainer window("WIN", "Window");
    place(window);
    window.setFramed(true);
    window.setFirst(&a);
    // A drag by the title bar, then one by the grip, which keeps the bottom-left corner where it is.
    // Released, the window stays.
    const std::tuple<Point, Point, Point, Rect> drags[] = {
        { { 150, 208 }, { 160, 200 }, { 180, 230 }, { 130, 122, 200, 100 } },
        { { 325, 217 }, { 350, 222 }, { 375, 247 }, { 130, 122, 250, 130 } },
    };
    for (const auto& [press, step, to, moved] : drags) {
        EXPECT_EQ(window.mouseButton(0, press.first, press.second, true), &window);
        window.mouseDragged(step.first, step.second);
        window.mouseDragged(to.first, to.second);
        EXPECT_TRUE(rect(window) == moved
            && rect(a) == (Rect { moved[0] + 1, moved[1] + 1, moved[2] - 2, moved[3] - 2 }));
        if (press.first == 150) {
            window.mouseButton(0, to.first, to.second, false);
            window.mouseDragged(300, 300);
            EXPECT_EQ(rect(window), moved);
        }
    }
    // Dragged far past the corner, the window keeps at least its title.
    window.mouseDragged(-500, -500);
    EXPECT_EQ(rect(window), (Rect { 130, 122, 6 * charWidth + 3, lineHeight + 3 }));
    window.mouseButton(0, 0, 0, false);
    EXPECT_FALSE(window.isResizing());
    // A nested container is never framed: a press on its corner goes to its child.
    ComponentContainer inner("INNER", "Inner");
    Button deep("DEEP", "Deep");
    inner.setFramed(true);
    inner.setSecond(&deep);
    place(window);
    window.setFirst(&inner);
    window.setSecond(&a);
    EXPECT_FALSE(inner.isFramed());
    EXPECT_TRUE(window.find("DEEP") == &deep && window.find("deep") == nullptr);
    const Rect before = rect(inner);
    EXPECT_EQ(window.mouseButton(0, inner.getRight() - 5, inner.getTop() - 5, true), &deep);
    window.mouseDragged(400, 400);
    EXPECT_EQ(rect(inner), before);
    window.mouseButton(0, 0, 0, false);
    window.setVisible(false);
    EXPECT_TRUE(!window.mouseButton(0, 250, 150, true) && !window.mouseButton(0, 150, 208, true));
    window.setVisible(true);
    EXPECT_TRUE(window.mouseButton(0, 250, 150, true) == &window && !window.mouseButton(0, 50, 50, true));
}

TEST_F(ComponentsTest, TextWrapsAtWordBreaksAndNewlines)
{
    const std::pair<std::string, Lines> cases[] = {
        { "hello world again", { "hello ", "world ", "again" } },
        { "a+b=c, (d)", { "a+b=c, (d)" } },
        { "one-two-three", { "one-two-", "three" } },
        { "ab\ncd\n\nef", { "ab", "cd", "", "ef" } },
        { "ab\n", { "ab", "" } },
        { "", { "" } },
        // A word wider than the field is cut.
        { "abcdefghijklmnop", { "abcdefghij", "klmnop" } },
        { "xy abcdefghijklmnop", { "xy ", "abcdefghij", "klmnop" } },
    };
    for (const auto& [text, lines] : cases) {
        field.setText(text);
        EXPECT_EQ(field.getLines(), lines) << text;
    }
    // Typing wraps at the last word break, and ten characters fit again once one is gone.
    field.setText("");
    for (char c : std::string("hello world"))
        EXPECT_TRUE(field.appendCharacter(c));
    EXPECT_EQ(field.getLines(), (Lines { "hello ", "world" }));
    field.deleteLastCharacter();
    EXPECT_EQ(field.getLines(), (Lines { "hello worl" }));
    for (int i = 0; i < 15; ++i)
        field.deleteLastCharacter();
    EXPECT_EQ(field.getLines(), (Lines { "" }));
    field.setInputFilter(TextField::DigitsOnly);
    EXPECT_TRUE(!field.appendCharacter('a') && !field.appendCharacter(' ') && field.appendCharacter('7'));
    field.setInputFilter(TextField::LettersOnly);
    EXPECT_TRUE(!field.appendCharacter('5') && field.appendCharacter('Q'));
    EXPECT_EQ(field.getText(), "7Q");
}

TEST_F(ComponentsTest, FieldScrollsWithinItsLinesAndItsHeldSquaresRepeat)
{
    field.setText("0\n1\n2\n3\n4\n5\n6\n7\n8\n9");
    ASSERT_EQ(field.getVisibleLines(), 3);
    // Each step: up or down, how far, whether it moved, the first line after it.
    const std::tuple<bool, int, bool, int> steps[] = { { true, 1, false, 0 }, { false, 2, true, 2 },
        { false, 100, true, 7 }, { false, 1, false, 7 }, { true, 100, true, 0 } };
    for (const auto& [up, by, moved, first] : steps) {
        EXPECT_EQ(moved, up ? field.scrollUp(by) : field.scrollDown(by)) << by;
        EXPECT_EQ(field.getFirstLine(), first) << by;
    }
    // A held square steps at once, then after every 0.1 s.
    const int right = field.getRight(), top = field.getTop();
    EXPECT_EQ(field.mouseButton(0, right - 5, 5, true), nullptr);
    std::vector<int> firstLines;
    for (int i = 0; i < 11; ++i) {
        field.update(0.03);
        firstLines.push_back(field.getFirstLine());
    }
    EXPECT_EQ(firstLines, (std::vector<int> { 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3 }));
    field.mouseButton(0, right - 5, 5, false);
    for (int i = 0; i < 20; ++i)
        field.update(0.03);
    EXPECT_EQ(field.getFirstLine(), 3);
    field.mouseButton(0, right - 5, top - 5, true);
    field.update(0.03);
    EXPECT_EQ(field.getFirstLine(), 2);
    field.setText("short");
    EXPECT_EQ(field.getFirstLine(), 0);
    EXPECT_FALSE(field.scrollDown(1));
}
}
