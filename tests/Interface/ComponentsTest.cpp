// Buttons, text fields and containers on their own, measured by FixedTextMeasure.
#include "FixedTextMeasure.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/TextField.h"

#include <array>
#include <deque>
#include <vector>

namespace {
using Point = std::pair<int, int>;
using Rect = std::array<int, 4>;
using Lines = std::deque<std::string>;

class ComponentsTest : public FixedTextMeasure
{
protected:
    static Rect rect(const InterfaceComponent& c)
    {
        return { c.getPosition().first, c.getPosition().second, c.getSize().first, c.getSize().second };
    }
    // Lines hold at most `chars` characters (the wrap width is the width less
    // 20) and `rows` of them show.
    static std::unique_ptr<TextField> makeField(
        const std::string& text, int chars, int rows = 3, bool selectable = true)
    {
        auto field = std::make_unique<TextField>("FIELD", text, selectable);
        field->setPosition(0, 0);
        field->setSize(chars * charWidth + 20, rows * 15 + 10);
        return field;
    }
    TextField a { "A", "", false }, b { "B", "", false };
};

TEST_F(ComponentsTest, ButtonClicksWithTheLeftButtonPressedAndReleasedInside)
{
    Button button("OK_BUTTON", "A rather long label");
    const Point labelSize(19 * charWidth + 3, lineHeight + 3);
    EXPECT_EQ(button.getSize(), labelSize);
    button.setPosition(100, 100);
    button.setSize(10, 10);
    EXPECT_EQ(button.getSize(), labelSize) << "never smaller than its label";
    button.setSize(160, 30);
    std::vector<Button::State> seen;
    button.setCallback([&seen](Button& b) { seen.push_back(b.getState()); });

    EXPECT_EQ(button.mouseButton(1, 120, 110, true), nullptr);
    EXPECT_EQ(button.mouseButton(0, 99, 110, true), nullptr);
    EXPECT_EQ(button.mouseButton(0, 120, 110, true), &button);
    EXPECT_EQ(button.getState(), Button::Held);
    // Bounds are inclusive: the release lands on the top-right corner.
    EXPECT_EQ(button.mouseButton(0, 260, 130, false), &button);
    EXPECT_EQ(button.getState(), Button::Idle);
    // Released outside, the click is cancelled; a release without a press is none either.
    button.mouseButton(0, 120, 110, true);
    EXPECT_EQ(button.mouseButton(0, 300, 110, false), nullptr);
    EXPECT_EQ(button.getState(), Button::Idle);
    EXPECT_EQ(button.mouseButton(0, 120, 110, false), nullptr);
    EXPECT_EQ(seen, (std::vector<Button::State> { Button::Held, Button::Idle, Button::Held }));
}

TEST_F(ComponentsTest, ContainerLaysOutItsChildren)
{
    const Rect whole { 101, 101, 198, 98 }, none {};
    const struct
    {
        bool first, second, stacked;
        double split;
        Rect a, b;
    } cases[] = {
        { true, false, false, 0.5, whole, none },
        { true, false, true, 0.5, whole, none },
        { false, true, false, 0.5, none, whole },
        { false, true, true, 0.5, none, whole },
        { true, true, false, 0.5, { 101, 101, 98, 98 }, { 201, 101, 98, 98 } },
        // Stacked, the first child is the upper one.
        { true, true, true, 0.25, { 101, 176, 198, 23 }, { 101, 101, 198, 73 } },
        // The chosen split survives the lone-child layout before the second arrives.
        { true, true, false, 0.3, { 101, 101, 58, 98 }, { 161, 101, 138, 98 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << c.second << c.stacked << " " << c.split);
        ComponentContainer window("WIN", "Window");
        window.setPosition(100, 100);
        window.setSize(200, 100);
        window.setStacked(c.stacked);
        window.setSplit(c.split);
        TextField a("A", "", false), b("B", "", false);
        const Rect unset = rect(a);
        if (c.first)
            window.setFirst(&a);
        if (c.second)
            window.setSecond(&b);
        EXPECT_EQ(rect(a), c.first ? c.a : unset);
        EXPECT_EQ(rect(b), c.second ? c.b : unset);
    }
}

TEST_F(ComponentsTest, WindowMovesByItsTitleBarAndResizesByItsGrip)
{
    ComponentContainer window("WIN", "Window");
    window.setPosition(100, 100);
    window.setSize(200, 100);
    window.setFramed(true);
    window.setFirst(&a);
    EXPECT_EQ(window.mouseButton(0, 150, 208, true), &window);
    EXPECT_TRUE(window.isMoving());
    window.mouseDragged(160, 200);
    window.mouseDragged(180, 230);
    EXPECT_EQ(rect(window), (Rect { 130, 122, 200, 100 }));
    EXPECT_EQ(a.getPosition(), Point(131, 123));
    window.mouseButton(0, 180, 230, false);
    EXPECT_FALSE(window.isMoving());
    window.mouseDragged(300, 300);
    EXPECT_EQ(window.getPosition(), Point(130, 122));

    // The grip keeps the bottom-left corner where it is.
    EXPECT_EQ(window.mouseButton(0, 325, 217, true), &window);
    EXPECT_TRUE(window.isResizing());
    window.mouseDragged(350, 222);
    window.mouseDragged(375, 247);
    EXPECT_EQ(rect(window), (Rect { 130, 122, 250, 130 }));
    EXPECT_EQ(a.getSize(), Point(248, 128));
    // Dragged far past the corner, the window keeps at least its title.
    window.mouseDragged(-500, -500);
    EXPECT_EQ(window.getSize(), Point(6 * charWidth + 3, lineHeight + 3));
    window.mouseButton(0, 0, 0, false);
    EXPECT_FALSE(window.isResizing());

    // A nested container is never framed: a press on its corner goes to its child.
    ComponentContainer inner("INNER", "Inner");
    Button deep("DEEP", "Deep");
    inner.setFramed(true);
    inner.setSecond(&deep);
    window.setPosition(100, 100);
    window.setSize(200, 100);
    window.setFirst(&inner);
    window.setSecond(&a);
    EXPECT_FALSE(inner.isFramed());
    EXPECT_EQ(window.find("DEEP"), &deep);
    EXPECT_EQ(window.find("deep"), nullptr);
    const auto size = inner.getSize();
    EXPECT_EQ(window.mouseButton(0, inner.getRight() - 5, inner.getTop() - 5, true), &deep);
    window.mouseDragged(400, 400);
    EXPECT_EQ(inner.getSize(), size);
    EXPECT_FALSE(inner.isResizing() || inner.isMoving());
    window.mouseButton(0, 0, 0, false);

    window.setVisible(false);
    EXPECT_EQ(window.mouseButton(0, 150, 150, true), nullptr);
    EXPECT_EQ(window.mouseButton(0, 150, 208, true), nullptr);
    window.setVisible(true);
    EXPECT_EQ(window.mouseButton(0, 250, 150, true), &window);
    EXPECT_EQ(window.mouseButton(0, 50, 50, true), nullptr);
}

TEST_F(ComponentsTest, TextWrapsAtWordBreaksAndNewlines)
{
    const struct
    {
        std::string text;
        Lines lines;
    } cases[] = {
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
    auto field = makeField("", 10);
    for (const auto& c : cases) {
        field->setText(c.text);
        EXPECT_EQ(field->getLines(), c.lines) << c.text;
    }
}

TEST_F(ComponentsTest, TypingWrapsAtTheLastWordBreakAndFiltersRefuseCharacters)
{
    auto field = makeField("", 10);
    for (char c : std::string("hello world"))
        EXPECT_TRUE(field->appendCharacter(c));
    EXPECT_EQ(field->getLines(), (Lines { "hello ", "world" }));
    // Ten characters fit again once one is gone.
    field->deleteLastCharacter();
    EXPECT_EQ(field->getLines(), (Lines { "hello worl" }));
    for (int i = 0; i < 15; ++i)
        field->deleteLastCharacter();
    EXPECT_EQ(field->getText(), "");
    EXPECT_EQ(field->getLines(), (Lines { "" }));

    field->setInputFilter(TextField::DigitsOnly);
    EXPECT_FALSE(field->appendCharacter('a'));
    EXPECT_FALSE(field->appendCharacter(' '));
    EXPECT_TRUE(field->appendCharacter('7'));
    field->setInputFilter(TextField::LettersOnly);
    EXPECT_FALSE(field->appendCharacter('5'));
    EXPECT_TRUE(field->appendCharacter('Q'));
    EXPECT_EQ(field->getText(), "7Q");
}

TEST_F(ComponentsTest, FieldScrollsWithinItsLinesAndItsHeldSquaresRepeat)
{
    auto field = makeField("0\n1\n2\n3\n4\n5\n6\n7\n8\n9", 10, 3);
    ASSERT_EQ(field->getVisibleLines(), 3);
    EXPECT_FALSE(field->scrollUp(1));
    EXPECT_TRUE(field->scrollDown(2));
    EXPECT_EQ(field->getFirstLine(), 2);
    EXPECT_TRUE(field->scrollDown(100));
    EXPECT_EQ(field->getFirstLine(), 7);
    EXPECT_FALSE(field->scrollDown(1));
    EXPECT_TRUE(field->scrollUp(100));
    EXPECT_EQ(field->getFirstLine(), 0);

    // A held square steps at once, then after every 0.1 s.
    const int right = field->getRight(), top = field->getTop();
    EXPECT_EQ(field->mouseButton(0, right - 5, 5, true), nullptr);
    std::vector<int> firstLines;
    for (int i = 0; i < 11; ++i) {
        field->update(0.03);
        firstLines.push_back(field->getFirstLine());
    }
    EXPECT_EQ(firstLines, (std::vector<int> { 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3 }));
    field->mouseButton(0, right - 5, 5, false);
    for (int i = 0; i < 20; ++i)
        field->update(0.03);
    EXPECT_EQ(field->getFirstLine(), 3);
    field->mouseButton(0, right - 5, top - 5, true);
    field->update(0.03);
    EXPECT_EQ(field->getFirstLine(), 2);
    field->mouseButton(0, right - 5, top - 5, false);

    // A click selects a selectable field and scrolls it to its end.
    EXPECT_EQ(field->mouseButton(0, 10, 10, true), field.get());
    EXPECT_TRUE(field->isHighlighted());
    EXPECT_EQ(field->getFirstLine(), 7);
    EXPECT_EQ(field->mouseButton(0, 500, 10, true), nullptr);
    EXPECT_FALSE(field->isHighlighted());
    field->setText("short");
    EXPECT_EQ(field->getFirstLine(), 0);
    EXPECT_FALSE(field->scrollDown(1));
    auto fixed = makeField("text", 10, 3, false);
    EXPECT_EQ(fixed->mouseButton(0, 10, 10, true), nullptr);
    EXPECT_FALSE(fixed->isHighlighted());
}

TEST_F(ComponentsTest, OneLineFieldFollowsItsText)
{
    auto field = makeField("Height: 12", 30, 5);
    field->setFitToOneLine(true);
    EXPECT_EQ(field->getSize(), Point(10 * charWidth + 20, lineHeight + 20));
    EXPECT_EQ(field->getLines(), (Lines { "Height: 12" }));
    field->setSize(400, 100);
    field->appendCharacter('3');
    EXPECT_EQ(field->getSize(), Point(11 * charWidth + 20, lineHeight + 20));
    // Without scroll squares the right edge is an ordinary part of the field.
    EXPECT_EQ(field->mouseButton(0, field->getRight() - 5, field->getTop() - 5, true), field.get());
}
}
