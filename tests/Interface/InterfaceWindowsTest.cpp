// Windows through resizes: inside the window area with their title bars, and
// clear of the heads-up components laid out along the edges.
#include "Interface/Interface.h"

#include "FixedTextMeasure.h"
#include "Game/Window.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/TextField.h"

#include <array>
#include <vector>

namespace {
using Box = std::array<int, 4>; // left, bottom, right, top

Box boxOf(const InterfaceComponent& component, int titleBar = 0)
{
    const auto position = component.getPosition();
    return { position.first, position.second, component.getRight(), component.getTop() + titleBar };
}

bool overlap(const Box& a, const Box& b)
{
    return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

class InterfaceWindowsTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        resizeTo(1280, 800);
        // The player's heads-up texts and a statistic-like column.
        for (InterfaceComponent* top : { &tool, &hint })
            ui.addComponent(top, Interface::TopRow);
        ui.addComponent(&help, Interface::TopRow);
        ui.addComponent(&height, Interface::BottomRow);
        ui.addComponent(&side, Interface::RightColumn);
        // The picking window and the help window where the game opens them.
        picking.setSize(100, 100);
        picking.setPosition(600, 600);
        helpWindow.setSize(500, 140);
        helpWindow.setPosition(200, 200);
        ui.update(0.0);
        ui.addWindow(&picking);
        ui.addWindow(&helpWindow);
    }
    void TearDown() override
    {
        Window::getInstance().onResize(800, 600);
        FixedTextMeasure::TearDown();
    }

    std::vector<const InterfaceComponent*> headsUpComponents() const { return { &tool, &hint, &help, &height, &side }; }

    void resizeTo(int w, int h)
    {
        Window::getInstance().onResize(w, h);
        ui.resize(w, h);
    }

    Interface ui;
    TextField tool { "TOOL", "Current Tool:Basic Dig Tool", false };
    TextField hint { "HINT", "Press ESC for menu, F to free mouse", false };
    Button help { "HELP_BTN", "Help" };
    TextField height { "HEIGHT", "500.25 m", false };
    TextField side { "SIDE", "12 blocks", false };
    ComponentContainer picking { "FBO_CON", "FBO" };
    ComponentContainer helpWindow { "HELP_WIN", "Help" };
};
}

TEST_F(InterfaceWindowsTest, ResizedWindowsStayInsideAndOffTheHeadsUpComponents)
{
    // Where they are clear already, the windows stay put.
    EXPECT_EQ(picking.getPosition(), std::make_pair(600, 600));
    EXPECT_EQ(helpWindow.getPosition(), std::make_pair(200, 200));

    const int bar = ComponentContainer::titleBarHeight;
    for (const auto& [w, h] : std::vector<std::pair<int, int>> {
             { 1024, 640 }, { 800, 600 }, { 1920, 1080 }, { 700, 400 }, { 1280, 800 } }) {
        resizeTo(w, h);
        for (const ComponentContainer* window : { &picking, &helpWindow }) {
            const Box frame = boxOf(*window, bar);
            EXPECT_TRUE(frame[0] >= 0 && frame[1] >= 0 && frame[2] <= w && frame[3] <= h)
                << window->getName() << " at " << w << "x" << h;
            for (const InterfaceComponent* headsUp : headsUpComponents()) {
                const Box fixed = boxOf(*headsUp);
                EXPECT_FALSE(overlap(frame, fixed))
                    << window->getName() << " over " << headsUp->getName() << " at " << w << "x" << h;
            }
        }
    }

    // Too small for the window: its title bar stays on screen to move it by.
    resizeTo(80, 60);
    const Box frame = boxOf(picking, bar);
    EXPECT_EQ(frame[0], 0);
    EXPECT_EQ(frame[3], 60);
}
