#include "Interface/Button.h"

#include "FixedTextMeasure.h"

#include <vector>

namespace {
class ButtonTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        button = std::make_unique<Button>("OK_BUTTON", "Okay");
        button->setPosition(100, 100);
        button->setSize(80, 30);
        button->setCallback([this](Button& b) { seenStates.push_back(b.getState()); });
    }

    std::unique_ptr<Button> button;
    std::vector<Button::State> seenStates;
};

TEST_F(ButtonTest, IsNeverSmallerThanItsLabel)
{
    Button wide("WIDE", "A rather long label");
    EXPECT_EQ(wide.getSize(), std::make_pair(19 * charWidth + 3, lineHeight + 3));
    wide.setSize(10, 10);
    EXPECT_EQ(wide.getSize(), std::make_pair(19 * charWidth + 3, lineHeight + 3));
}

TEST_F(ButtonTest, ClickInsideReportsPressThenRelease)
{
    EXPECT_EQ(button->mouseButton(0, 120, 110, true), button.get());
    EXPECT_EQ(button->getState(), Button::Held);
    // Bounds are inclusive: the release lands on the top-right corner.
    EXPECT_EQ(button->mouseButton(0, 180, 130, false), button.get());
    EXPECT_EQ(button->getState(), Button::Idle);
    EXPECT_EQ(seenStates, (std::vector<Button::State> { Button::Held, Button::Idle }));
}

TEST_F(ButtonTest, ReleaseOutsideCancelsTheClick)
{
    button->mouseButton(0, 120, 110, true);
    EXPECT_EQ(button->mouseButton(0, 300, 110, false), nullptr);
    EXPECT_EQ(button->getState(), Button::Idle);
    EXPECT_EQ(seenStates, (std::vector<Button::State> { Button::Held }));
    // A later release inside, without a press, is no click either.
    EXPECT_EQ(button->mouseButton(0, 120, 110, false), nullptr);
    EXPECT_EQ(seenStates.size(), 1u);
}

TEST_F(ButtonTest, OnlyTheLeftButtonCounts)
{
    EXPECT_EQ(button->mouseButton(1, 120, 110, true), nullptr);
    EXPECT_EQ(button->mouseButton(0, 99, 110, true), nullptr);
    EXPECT_EQ(button->getState(), Button::Idle);
    EXPECT_TRUE(seenStates.empty());
}
}
