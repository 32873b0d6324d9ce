#include "Interface/Interface.h"

#include "FixedTextMeasure.h"
#include "Game/Window.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/TextField.h"

#include <cstdlib>
#include <vector>

namespace {
class InterfaceTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        Window& window = Window::getInstance();
        window.width = 800;
        window.height = 600;
        window.running = true;
        ui = std::make_unique<Interface>();
        ui->buildMenus();
        ui->addAboutPages();
        ui->update(0.0);
    }
    void TearDown() override
    {
        Window::getInstance().running = true;
        FixedTextMeasure::TearDown();
    }

    static std::pair<int, int> centre(const InterfaceComponent* component)
    {
        const auto position = component->getPosition();
        const auto size = component->getSize();
        return { position.first + size.first / 2, position.second + size.second / 2 };
    }
    // Press and release at the component's centre.
    bool click(const InterfaceComponent* component)
    {
        const auto point = centre(component);
        ui->mouseButton(0, point.first, point.second, true);
        return ui->mouseButton(0, point.first, point.second, false);
    }
    std::vector<std::string> pageNames(int page) const
    {
        std::vector<std::string> names;
        for (const InterfaceComponent* component : ui->getPage(page))
            names.push_back(component->getName());
        return names;
    }
    bool escape() { return ui->keyPressed(sf::Keyboard::Escape, false); }

    std::unique_ptr<Interface> ui;
};

TEST_F(InterfaceTest, PublishesItselfWhileItExists)
{
    EXPECT_EQ(Interface::getInstance(), ui.get());
    ui.reset();
    EXPECT_EQ(Interface::getInstance(), nullptr);
}

TEST_F(InterfaceTest, MainMenuKeepsReturnLowestAndExitHighest)
{
    EXPECT_EQ(
        pageNames(0), (std::vector<std::string> { "SC_RETURN_BUTTON", "SC_GOTO_PAGE_1", "SC_EXIT_BUTTON" }));
    const auto& page = ui->getPage(0);
    EXPECT_EQ(page[1]->getText(), "About");
    int lastY = -1;
    for (const InterfaceComponent* button : page) {
        EXPECT_EQ(button->getSize(), std::make_pair(200, 30));
        EXPECT_EQ(button->getPosition().first, 300);
        EXPECT_GT(button->getPosition().second, lastY);
        lastY = button->getPosition().second;
    }
    // Three 30-pixel buttons 10 apart, centred: (600 - 120 + 10) / 2.
    EXPECT_EQ(page[0]->getPosition().second, 245);
    EXPECT_EQ(ui->getTitlePosition(0), std::make_pair((800 - 9 * 35) / 2, ((600 - 50) * 5) / 6));
}

TEST_F(InterfaceTest, AboutPagesHoldTheirTextsAndBackButtons)
{
    ASSERT_EQ(ui->getPageCount(), 3);
    EXPECT_EQ(ui->getPageName(1), "About");
    EXPECT_EQ(ui->getPageName(2), "About the Creators");
    EXPECT_EQ(pageNames(1), (std::vector<std::string> { "SC_GOTO_PAGE_0", "SC_GOTO_PAGE_2", "TXT_ABOUT" }));
    EXPECT_EQ(ui->getPage(1)[0]->getText(), "Back");
    EXPECT_NE(ui->getPage(1)[2]->getText().find("Eric Lengyel"), std::string::npos);
    EXPECT_EQ(pageNames(2), (std::vector<std::string> { "SC_GOTO_PAGE_1", "TXT_AUTHOR" }));
    EXPECT_EQ(ui->getPage(2)[1]->getText(), "<ABOUT STUFF>");
}

TEST_F(InterfaceTest, EscapeOpensClosesAndWalksBackThroughPages)
{
    EXPECT_FALSE(ui->mouseButton(0, 5, 5, true)) << "nothing there while playing";
    EXPECT_TRUE(escape());
    EXPECT_FALSE(escape());
    EXPECT_TRUE(escape());
    EXPECT_TRUE(ui->menuOpen);
    EXPECT_TRUE(ui->mouseButton(0, 5, 5, true)) << "an open menu takes every click";

    EXPECT_TRUE(click(ui->getPage(0)[1]));
    EXPECT_EQ(ui->getCurrentPage(), 1);
    click(ui->getPage(1)[1]);
    EXPECT_EQ(ui->getCurrentPage(), 2);

    EXPECT_TRUE(escape());
    EXPECT_EQ(ui->getCurrentPage(), 1);
    EXPECT_TRUE(escape());
    EXPECT_EQ(ui->getCurrentPage(), 0);
    EXPECT_FALSE(escape());
    EXPECT_FALSE(ui->menuOpen);
}

TEST_F(InterfaceTest, SystemButtonsActOnTheReleaseInside)
{
    escape();
    const InterfaceComponent* exit = ui->findComponent("SC_EXIT_BUTTON");
    ASSERT_NE(exit, nullptr);
    const auto point = centre(exit);
    ui->mouseButton(0, point.first, point.second, true);
    EXPECT_TRUE(Window::getInstance().running) << "a press alone does nothing";
    ui->mouseButton(0, 5, 5, false);
    EXPECT_TRUE(Window::getInstance().running) << "released outside, the click is cancelled";

    click(ui->findComponent("SC_RETURN_BUTTON"));
    EXPECT_FALSE(ui->menuOpen);

    escape();
    click(exit);
    EXPECT_FALSE(Window::getInstance().running);
}

TEST_F(InterfaceTest, FiftyPagesAtMost)
{
    for (int i = ui->getPageCount(); i < Interface::maxPages; ++i)
        EXPECT_EQ(ui->addPage(0, "Page " + std::to_string(i)), i);
    EXPECT_EQ(ui->addPage(0, "One too many"), -1);
    EXPECT_EQ(ui->getPageCount(), Interface::maxPages);
}

TEST_F(InterfaceTest, PagesNeedAKnownParent)
{
    EXPECT_EQ(ui->addPage(3, "Orphan"), -1);
    EXPECT_EQ(ui->addPage(-1, "Orphan"), -1);
    EXPECT_EQ(ui->addPage(2, "Child"), 3);
}

TEST_F(InterfaceTest, ReservedAndTakenNamesAreRefused)
{
    TextField reserved("SC_MINE", "x", false);
    TextField clash("TXT_ABOUT", "x", false);
    TextField hud("HUD_TEXT", "Height: 10", false);
    ComponentContainer window("HUD_WINDOW", "Window");
    Button inside("INSIDE", "Inside");
    window.setFirst(&inside);
    EXPECT_FALSE(ui->addComponent(&reserved, Interface::TopRow));
    EXPECT_FALSE(ui->addComponent(&clash, Interface::TopRow));
    EXPECT_TRUE(ui->addComponent(&hud, Interface::TopRow));
    EXPECT_FALSE(ui->addComponent(&hud, Interface::BottomRow));
    EXPECT_TRUE(ui->addWindow(&window));
    EXPECT_TRUE(window.isFramed());
    EXPECT_FALSE(ui->isNameAvailable("INSIDE"));
    EXPECT_FALSE(ui->addPageText(1, &clash));
    EXPECT_EQ(ui->findComponent("HUD_TEXT"), &hud);
    EXPECT_EQ(ui->findComponent("INSIDE"), &inside);
    EXPECT_EQ(ui->findComponent("SC_MINE"), nullptr);
}

TEST_F(InterfaceTest, HeadsUpComponentsSitOnTheirEdges)
{
    Button left1("LEFT_1", "One"), left2("LEFT_2", "Two"), right("RIGHT", "Right");
    TextField top1("TOP_1", "Tool: dig", false), top2("TOP_2", "Hint", false),
        bottom("BOTTOM", "Height", false);
    Button nowhere("NOWHERE", "Nowhere");
    nowhere.setPosition(42, 42);
    ui->addComponent(&left1, Interface::LeftColumn);
    ui->addComponent(&left2, Interface::LeftColumn);
    ui->addComponent(&right, Interface::RightColumn);
    ui->addComponent(&top1, Interface::TopRow);
    ui->addComponent(&top2, Interface::TopRow);
    ui->addComponent(&bottom, Interface::BottomRow);
    EXPECT_TRUE(ui->addComponent(&nowhere, 99));
    ui->update(0.0);

    // Columns of 100 x 25 buttons, 5 apart, centred vertically, from the bottom up.
    EXPECT_EQ(left1.getPosition(), std::make_pair(5, (600 - 55) / 2));
    EXPECT_EQ(left2.getPosition(), std::make_pair(5, (600 - 55) / 2 + 30));
    EXPECT_EQ(right.getPosition(), std::make_pair(800 - 5 - 100, (600 - 25) / 2));
    // Text fields are one line, sized to their text, in a centred row.
    const int top1Width = 9 * charWidth + 20, top2Width = 4 * charWidth + 20;
    EXPECT_EQ(top1.getSize(), std::make_pair(top1Width, lineHeight + 20));
    const int rowStart = (800 - (top1Width + 5 + top2Width)) / 2;
    EXPECT_EQ(top1.getPosition(), std::make_pair(rowStart, 600 - 5 - (lineHeight + 20)));
    EXPECT_EQ(top2.getPosition(), std::make_pair(rowStart + top1Width + 5, 600 - 5 - (lineHeight + 20)));
    EXPECT_EQ(bottom.getPosition().second, 5);
    EXPECT_EQ(nowhere.getPosition(), std::make_pair(42, 42));
    EXPECT_EQ(ui->findComponent("NOWHERE"), &nowhere);
}

TEST_F(InterfaceTest, FocusedTextFieldTakesTypedCharacters)
{
    TextField field("ENTRY", "", true);
    ui->addComponent(&field, Interface::LeftColumn);
    ui->update(0.0);
    click(&field);
    ASSERT_EQ(ui->getFocusedField(), &field);
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::H, true));
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::I, false));
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::Space, false));
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::Num4, false));
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::Numpad2, false));
    EXPECT_TRUE(ui->keyPressed(sf::Keyboard::Backspace, false));
    EXPECT_FALSE(ui->keyPressed(sf::Keyboard::Comma, false));
    EXPECT_EQ(field.getText(), "Hi 4");

    // A press elsewhere lets go of the field; keys then reach the rest of the program.
    ui->mouseButton(0, 400, 300, true);
    EXPECT_EQ(ui->getFocusedField(), nullptr);
    EXPECT_FALSE(field.isHighlighted());
    EXPECT_FALSE(ui->keyPressed(sf::Keyboard::W, false));
    EXPECT_EQ(field.getText(), "Hi 4");
}

TEST_F(InterfaceTest, EscapeLetsGoOfTheFocusedField)
{
    escape();
    click(ui->getPage(0)[1]);
    TextField* about = static_cast<TextField*>(ui->findComponent("TXT_ABOUT"));
    const std::string credits = about->getText();
    click(about);
    ASSERT_EQ(ui->getFocusedField(), about);
    escape();
    escape();
    EXPECT_FALSE(ui->menuOpen);
    EXPECT_FALSE(ui->keyPressed(sf::Keyboard::W, false));
    EXPECT_EQ(about->getText(), credits);
}

TEST_F(InterfaceTest, WindowsTakeClicksAndDrags)
{
    ComponentContainer window("WIN", "Window");
    window.setPosition(100, 100);
    window.setSize(200, 100);
    ui->addWindow(&window);
    EXPECT_TRUE(ui->mouseButton(0, 150, 150, true));
    EXPECT_TRUE(ui->mouseButton(0, 150, 208, true));
    EXPECT_TRUE(ui->mouseDragged(170, 218));
    EXPECT_EQ(window.getPosition(), std::make_pair(120, 110));
    ui->mouseButton(0, 170, 218, false);
    EXPECT_FALSE(ui->mouseDragged(400, 400));
}

TEST_F(InterfaceTest, BackgroundTurnsAtItsBounds)
{
    ui->loading = true;
    std::srand(99);
    // The bounds are the single-precision values of 100/255 and 1/255.
    const double upper = 100.0f / 255.0f, lower = 1.0f / 255.0f;
    // The largest step: 200 * dt * 254 / 127500.
    const double dt = 0.05, step = 200.0 * dt * 254.0 / 127500.0;
    bool turnedDown[3] = {}, turnedUp[3] = {};
    double previous[3] = {};
    bool wasRising[3] = { true, true, true };
    for (int i = 0; i < 3; ++i)
        previous[i] = ui->getBackground()[i];
    for (int n = 0; n < 4000; ++n) {
        ui->update(dt);
        for (int i = 0; i < 3; ++i) {
            const double c = ui->getBackground()[i];
            ASSERT_LE(c, upper + step);
            ASSERT_GE(c, lower - step);
            const bool rising = c > previous[i] || (c == previous[i] && wasRising[i]);
            if (wasRising[i] && !rising) {
                turnedDown[i] = true;
                EXPECT_GT(previous[i], upper);
            }
            if (!wasRising[i] && rising) {
                turnedUp[i] = true;
                EXPECT_LT(previous[i], lower);
            }
            if (c != previous[i])
                wasRising[i] = rising;
            previous[i] = c;
        }
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(turnedDown[i]) << "channel " << i;
        EXPECT_TRUE(turnedUp[i]) << "channel " << i;
    }
}

TEST_F(InterfaceTest, BackgroundDriftsTenTimesFasterWhileLoading)
{
    const auto change = [this](bool loading) {
        ui->loading = loading;
        ui->menuOpen = !loading;
        double before[3];
        for (int i = 0; i < 3; ++i)
            before[i] = ui->getBackground()[i];
        std::srand(1234);
        ui->update(0.01);
        double total = 0.0;
        for (int i = 0; i < 3; ++i)
            total += std::abs(ui->getBackground()[i] - before[i]);
        return total;
    };
    const double loading = change(true);
    const double menu = change(false);
    ASSERT_GT(menu, 0.0);
    EXPECT_NEAR(loading / menu, 10.0, 1e-6);

    // Neither loading nor menu: the background stays.
    ui->menuOpen = false;
    const double before = ui->getBackground()[0];
    ui->update(1.0);
    EXPECT_EQ(ui->getBackground()[0], before);
}
}
