#include "Interface/TextField.h"

#include "FixedTextMeasure.h"

#include <deque>
#include <string>

namespace {
using Lines = std::deque<std::string>;

class TextFieldTest : public FixedTextMeasure
{
protected:
    // A field whose lines hold at most `chars` characters (the wrap width is
    // the width less 20) and which shows `rows` lines.
    std::unique_ptr<TextField> makeField(
        const std::string& text, int chars, int rows = 3, bool selectable = true)
    {
        auto field = std::make_unique<TextField>("FIELD", text, selectable);
        field->setPosition(0, 0);
        field->setSize(chars * charWidth + 20, rows * 15 + 10);
        return field;
    }
};

TEST_F(TextFieldTest, WrapsAtWordBreaks)
{
    auto field = makeField("hello world again", 10);
    EXPECT_EQ(field->getLines(), (Lines { "hello ", "world ", "again" }));

    field->setText("a+b=c, (d)");
    EXPECT_EQ(field->getLines(), (Lines { "a+b=c, (d)" }));
    field->setText("one-two-three");
    EXPECT_EQ(field->getLines(), (Lines { "one-two-", "three" }));
}

TEST_F(TextFieldTest, NewlinesEndLines)
{
    auto field = makeField("ab\ncd\n\nef", 10);
    EXPECT_EQ(field->getLines(), (Lines { "ab", "cd", "", "ef" }));
    field->setText("ab\n");
    EXPECT_EQ(field->getLines(), (Lines { "ab", "" }));
    field->setText("");
    EXPECT_EQ(field->getLines(), (Lines { "" }));
}

TEST_F(TextFieldTest, CutsAWordWiderThanTheField)
{
    auto field = makeField("abcdefghijklmnop", 10);
    EXPECT_EQ(field->getLines(), (Lines { "abcdefghij", "klmnop" }));
    field->setText("xy abcdefghijklmnop");
    EXPECT_EQ(field->getLines(), (Lines { "xy ", "abcdefghij", "klmnop" }));
}

TEST_F(TextFieldTest, TypingPastTheEdgeWrapsAtTheLastWordBreak)
{
    auto field = makeField("", 10);
    for (char c : std::string("hello world"))
        EXPECT_TRUE(field->appendCharacter(c));
    EXPECT_EQ(field->getText(), "hello world");
    EXPECT_EQ(field->getLines(), (Lines { "hello ", "world" }));

    // Ten characters fit again once one is gone.
    field->deleteLastCharacter();
    EXPECT_EQ(field->getLines(), (Lines { "hello worl" }));
    for (int i = 0; i < 5; ++i)
        field->deleteLastCharacter();
    EXPECT_EQ(field->getLines(), (Lines { "hello" }));
    for (int i = 0; i < 10; ++i)
        field->deleteLastCharacter();
    EXPECT_EQ(field->getText(), "");
    EXPECT_EQ(field->getLines(), (Lines { "" }));
}

TEST_F(TextFieldTest, FiltersRefuseCharacters)
{
    auto field = makeField("", 10);
    field->setInputFilter(TextField::DigitsOnly);
    EXPECT_FALSE(field->appendCharacter('a'));
    EXPECT_FALSE(field->appendCharacter(' '));
    EXPECT_TRUE(field->appendCharacter('7'));
    field->setInputFilter(TextField::LettersOnly);
    EXPECT_FALSE(field->appendCharacter('5'));
    EXPECT_TRUE(field->appendCharacter('Q'));
    EXPECT_EQ(field->getText(), "7Q");
}

TEST_F(TextFieldTest, ScrollsWithinItsLines)
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
    field->scrollToEnd();
    EXPECT_EQ(field->getFirstLine(), 7);

    // Fewer lines than fit: nothing to scroll.
    field->setText("short");
    EXPECT_EQ(field->getFirstLine(), 0);
    EXPECT_FALSE(field->scrollDown(1));
}

TEST_F(TextFieldTest, HeldScrollSquareStepsAtOnceThenEveryTenthOfASecond)
{
    auto field = makeField("0\n1\n2\n3\n4\n5\n6\n7\n8\n9", 10, 3);
    const int right = field->getRight();
    const int top = field->getTop();
    EXPECT_EQ(field->mouseButton(0, right - 5, 5, true), nullptr);
    std::deque<int> firstLines;
    for (int i = 0; i < 11; ++i) {
        field->update(0.03);
        firstLines.push_back(field->getFirstLine());
    }
    // A step, four updates adding up to 0.12 s, a step, and so on.
    EXPECT_EQ(firstLines, (std::deque<int> { 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3 }));

    field->mouseButton(0, right - 5, 5, false);
    for (int i = 0; i < 20; ++i)
        field->update(0.03);
    EXPECT_EQ(field->getFirstLine(), 3);

    field->mouseButton(0, right - 5, top - 5, true);
    field->update(0.03);
    EXPECT_EQ(field->getFirstLine(), 2);
}

TEST_F(TextFieldTest, ClickSelectsOnlyASelectableField)
{
    auto field = makeField("0\n1\n2\n3\n4", 10, 3);
    field->scrollUp(5);
    EXPECT_EQ(field->mouseButton(0, 10, 10, true), field.get());
    EXPECT_TRUE(field->isHighlighted());
    EXPECT_EQ(field->getFirstLine(), 2) << "a click scrolls to the end";
    EXPECT_EQ(field->mouseButton(0, 10, 10, false), nullptr);
    EXPECT_EQ(field->mouseButton(0, 500, 10, true), nullptr);
    EXPECT_FALSE(field->isHighlighted());

    auto fixed = makeField("text", 10, 3, false);
    EXPECT_EQ(fixed->mouseButton(0, 10, 10, true), nullptr);
    EXPECT_FALSE(fixed->isHighlighted());
}

TEST_F(TextFieldTest, OneLineFieldFollowsItsText)
{
    auto field = makeField("Height: 12", 30, 5);
    field->setFitToOneLine(true);
    EXPECT_EQ(field->getSize(), std::make_pair(10 * charWidth + 20, lineHeight + 20));
    EXPECT_EQ(field->getLines(), (Lines { "Height: 12" }));
    field->setSize(400, 100);
    EXPECT_EQ(field->getSize(), std::make_pair(10 * charWidth + 20, lineHeight + 20));
    field->appendCharacter('3');
    EXPECT_EQ(field->getSize().first, 11 * charWidth + 20);

    // Without scroll squares the right edge is an ordinary part of the field.
    const int right = field->getRight();
    const int top = field->getTop();
    EXPECT_EQ(field->mouseButton(0, right - 5, top - 5, true), field.get());
}
}
