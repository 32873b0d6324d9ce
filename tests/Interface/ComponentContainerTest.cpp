#include "Interface/ComponentContainer.h"

#include "FixedTextMeasure.h"
#include "Interface/Button.h"
#include "Interface/TextField.h"

namespace {
using Point = std::pair<int, int>;

class ComponentContainerTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        window = std::make_unique<ComponentContainer>("WIN", "Window");
        a = std::make_unique<TextField>("A", "", false);
        b = std::make_unique<TextField>("B", "", false);
        window->setPosition(100, 100);
        window->setSize(200, 100);
    }

    std::unique_ptr<ComponentContainer> window;
    std::unique_ptr<TextField> a, b;
};

TEST_F(ComponentContainerTest, LoneChildFillsTheInnerArea)
{
    for (bool stacked : { false, true }) {
        ComponentContainer onlyFirst("ONLY_FIRST", "");
        onlyFirst.setFirst(a.get());
        onlyFirst.setStacked(stacked);
        onlyFirst.setPosition(10, 20);
        onlyFirst.setSize(200, 100);
        EXPECT_EQ(a->getPosition(), Point(11, 21));
        EXPECT_EQ(a->getSize(), Point(198, 98));

        ComponentContainer onlySecond("ONLY_SECOND", "");
        onlySecond.setSecond(b.get());
        onlySecond.setStacked(stacked);
        onlySecond.setPosition(10, 20);
        onlySecond.setSize(200, 100);
        EXPECT_EQ(b->getPosition(), Point(11, 21));
        EXPECT_EQ(b->getSize(), Point(198, 98));
    }
}

TEST_F(ComponentContainerTest, SplitsBetweenTwoChildren)
{
    window->setFirst(a.get());
    window->setSecond(b.get());
    EXPECT_EQ(a->getPosition(), Point(101, 101));
    EXPECT_EQ(a->getSize(), Point(98, 98));
    EXPECT_EQ(b->getPosition(), Point(201, 101));
    EXPECT_EQ(b->getSize(), Point(98, 98));

    // Stacked, the first child is the upper one.
    window->setStacked(true);
    window->setSplit(0.25);
    EXPECT_EQ(a->getPosition(), Point(101, 176));
    EXPECT_EQ(a->getSize(), Point(198, 23));
    EXPECT_EQ(b->getPosition(), Point(101, 101));
    EXPECT_EQ(b->getSize(), Point(198, 73));
}

TEST_F(ComponentContainerTest, ChosenSplitSurvivesALoneChild)
{
    window->setSplit(0.3);
    window->setFirst(a.get());
    EXPECT_EQ(a->getSize(), Point(198, 98));
    window->setSecond(b.get());
    EXPECT_EQ(a->getSize(), Point(58, 98));
    EXPECT_EQ(b->getSize(), Point(138, 98));
}

TEST_F(ComponentContainerTest, FindSearchesNestedContainers)
{
    ComponentContainer inner("INNER", "");
    Button deep("DEEP", "Deep");
    inner.setSecond(&deep);
    window->setFirst(a.get());
    window->setSecond(&inner);
    EXPECT_EQ(window->find("WIN"), window.get());
    EXPECT_EQ(window->find("A"), a.get());
    EXPECT_EQ(window->find("INNER"), &inner);
    EXPECT_EQ(window->find("DEEP"), &deep);
    EXPECT_EQ(window->find("deep"), nullptr);
}

TEST_F(ComponentContainerTest, WindowMovesByItsTitleBar)
{
    window->setFramed(true);
    window->setFirst(a.get());
    EXPECT_EQ(window->mouseButton(0, 150, 208, true), window.get());
    EXPECT_TRUE(window->isMoving());
    window->mouseDragged(160, 200);
    window->mouseDragged(180, 230);
    EXPECT_EQ(window->getPosition(), Point(130, 122));
    EXPECT_EQ(a->getPosition(), Point(131, 123));
    EXPECT_EQ(window->getSize(), Point(200, 100));
    window->mouseButton(0, 180, 230, false);
    EXPECT_FALSE(window->isMoving());
    window->mouseDragged(300, 300);
    EXPECT_EQ(window->getPosition(), Point(130, 122));
}

TEST_F(ComponentContainerTest, WindowResizesByItsGripWithTheCornerFixed)
{
    window->setFramed(true);
    window->setFirst(a.get());
    EXPECT_EQ(window->mouseButton(0, 295, 195, true), window.get());
    EXPECT_TRUE(window->isResizing());
    window->mouseDragged(320, 200);
    window->mouseDragged(345, 225);
    EXPECT_EQ(window->getPosition(), Point(100, 100));
    EXPECT_EQ(window->getSize(), Point(250, 130));
    EXPECT_EQ(a->getSize(), Point(248, 128));

    // Dragged far past the corner, the window keeps at least its title.
    window->mouseDragged(-500, -500);
    EXPECT_EQ(window->getSize(), Point(6 * charWidth + 3, lineHeight + 3));
    window->mouseButton(0, 0, 0, false);
    EXPECT_FALSE(window->isResizing());
}

TEST_F(ComponentContainerTest, NestedContainerNeitherMovesNorResizes)
{
    auto inner = std::make_unique<ComponentContainer>("INNER", "Inner");
    inner->setFramed(true);
    window->setFramed(true);
    window->setFirst(inner.get());
    window->setSecond(a.get());
    EXPECT_FALSE(inner->isFramed());
    const auto size = inner->getSize();
    // A press on the inner container's grip corner reaches it as a child and
    // is simply taken by it.
    EXPECT_EQ(window->mouseButton(0, inner->getRight() - 5, inner->getTop() - 5, true), inner.get());
    EXPECT_FALSE(inner->isResizing());
    EXPECT_FALSE(inner->isMoving());
    window->mouseDragged(400, 400);
    EXPECT_EQ(inner->getSize(), size);
}

TEST_F(ComponentContainerTest, HiddenWindowTakesNoClicks)
{
    window->setFramed(true);
    window->setVisible(false);
    EXPECT_EQ(window->mouseButton(0, 150, 150, true), nullptr);
    EXPECT_EQ(window->mouseButton(0, 150, 208, true), nullptr);
    window->setVisible(true);
    EXPECT_EQ(window->mouseButton(0, 150, 150, true), window.get());
    EXPECT_EQ(window->mouseButton(0, 50, 50, true), nullptr);
}
}
