#include "Interface/Interface.h"

#include "FixedTextMeasure.h"
#include "Game/Window.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/OptionsPage.h"
#include "Interface/TextField.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

namespace {
using Point = std::pair<int, int>;
using Names = std::vector<std::string>;

class InterfaceTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        Window::getInstance().onResize(800, 600);
        ui = std::make_unique<Interface>();
        ui->buildMenus();
        ui->addAboutPages();
        ui->update(0.0);
    }
    void TearDown() override
    {
        Window::getInstance().running = true;
        Window::getInstance().onResize(800, 600);
        FixedTextMeasure::TearDown();
    }
    static Point centre(const InterfaceComponent* c)
    {
        return { c->getPosition().first + c->getSize().first / 2,
            c->getPosition().second + c->getSize().second / 2 };
    }
    // Press and release at the component's centre.
    bool click(const InterfaceComponent* component)
    {
        const Point p = centre(component);
        ui->mouseButton(0, p.first, p.second, true);
        return ui->mouseButton(0, p.first, p.second, false);
    }
    Names pageNames(int page) const
    {
        Names names;
        for (const InterfaceComponent* component : ui->getPage(page))
            names.push_back(component->getName());
        return names;
    }
    bool escape() { return ui->keyPressed(sf::Keyboard::Escape, false); }
    std::unique_ptr<Interface> ui;
};

TEST_F(InterfaceTest, MenuPagesAreLaidOutEscapeWalksBackAndButtonsActOnTheReleaseInside)
{
    EXPECT_EQ(pageNames(0), (Names { "SC_RETURN_BUTTON", "SC_GOTO_PAGE_1", "SC_EXIT_BUTTON" }));
    EXPECT_EQ(pageNames(1), (Names { "SC_GOTO_PAGE_0", "SC_GOTO_PAGE_2", "TXT_ABOUT" }));
    EXPECT_EQ(pageNames(2), (Names { "SC_GOTO_PAGE_1", "TXT_AUTHOR" }));
    // Three 30-pixel buttons 10 apart, centred from the bottom up: (600 - 120 + 10) / 2.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ui->getPage(0)[i]->getPosition() == Point(300, 245 + 40 * i)
            && ui->getPage(0)[i]->getSize() == Point(200, 30));
    EXPECT_EQ(ui->getTitlePosition(0), Point((800 - 9 * 35) / 2, ((600 - 50) * 5) / 6));
    EXPECT_FALSE(ui->mouseButton(0, 5, 5, true)) << "nothing there while playing";
    EXPECT_TRUE(escape() && !escape() && escape());
    EXPECT_TRUE(ui->mouseButton(0, 5, 5, true)) << "an open menu takes every click";
    EXPECT_TRUE(click(ui->getPage(0)[1]));
    click(ui->getPage(1)[1]);
    // Escape walks back a page at a time, then closes the menu and is not taken.
    for (int page : { 2, 1, 0 }) {
        EXPECT_EQ(ui->getCurrentPage(), page);
        EXPECT_EQ(page > 0, escape());
    }
    EXPECT_FALSE(ui->menuOpen);
    // The system buttons act on a left release over them.
    escape();
    const InterfaceComponent* exit = ui->findComponent("SC_EXIT_BUTTON");
    const Point p = centre(exit);
    ui->mouseButton(1, p.first, p.second, true);
    ui->mouseButton(1, p.first, p.second, false);
    EXPECT_TRUE(Window::getInstance().running) << "only the left button clicks";
    ui->mouseButton(0, p.first, p.second, true);
    EXPECT_TRUE(Window::getInstance().running) << "a press alone does nothing";
    ui->mouseButton(0, 5, 5, false);
    EXPECT_TRUE(Window::getInstance().running) << "released outside, the click is cancelled";
    click(ui->findComponent("SC_RETURN_BUTTON"));
    EXPECT_FALSE(ui->menuOpen);
    escape();
    click(exit);
    EXPECT_FALSE(Window::getInstance().running);
}

TEST_F(InterfaceTest, PagesNeedAKnownParentAndStopAtFifty)
{
    EXPECT_TRUE(ui->addPage(3, "Orphan") == -1 && ui->addPage(-1, "Orphan") == -1);
    EXPECT_EQ(ui->addPage(2, "Child"), 3);
    for (int i = 4; i < Interface::maxPages; ++i)
        EXPECT_EQ(ui->addPage(0, "Page"), i);
    EXPECT_EQ(ui->addPage(0, "One too many"), -1);
    EXPECT_EQ(ui->getPageCount(), Interface::maxPages);
}

TEST_F(InterfaceTest, ReservedAndTakenNamesAreRefused)
{
    TextField reserved("SC_MINE", "x", false), clash("TXT_ABOUT", "x", false), hud("HUD_TEXT", "x", false);
    ComponentContainer window("HUD_WINDOW", "Window");
    Button inside("INSIDE", "Inside");
    window.setFirst(&inside);
    EXPECT_FALSE(ui->addComponent(&reserved, Interface::TopRow));
    EXPECT_FALSE(ui->addComponent(&clash, Interface::TopRow));
    EXPECT_TRUE(ui->addComponent(&hud, Interface::TopRow) && !ui->addComponent(&hud, Interface::BottomRow));
    EXPECT_TRUE(ui->addWindow(&window) && window.isFramed());
    EXPECT_TRUE(!ui->isNameAvailable("INSIDE") && !ui->addPageText(1, &clash));
    EXPECT_TRUE(ui->findComponent("INSIDE") == &inside && ui->findComponent("SC_MINE") == nullptr);
}

TEST_F(InterfaceTest, HeadsUpComponentsSitOnTheirEdges)
{
    Button left1("LEFT_1", "One"), left2("LEFT_2", "Two"), right("RIGHT", "Right");
    TextField top1("TOP_1", "Tool: dig", false), top2("TOP_2", "Hint", false), bottom("BOTTOM", "x", false);
    // Columns of 100 x 25 buttons 5 apart, centred vertically, from the bottom up;
    // text fields one line high and as wide as their text, in centred rows.
    const int width1 = 9 * charWidth + 20, rowStart = (800 - width1 - 5 - (4 * charWidth + 20)) / 2,
              topY = 600 - 5 - (lineHeight + 20);
    const std::tuple<InterfaceComponent*, int, Point> placed[] = {
        { &left1, Interface::LeftColumn, { 5, (600 - 55) / 2 } },
        { &left2, Interface::LeftColumn, { 5, (600 - 55) / 2 + 30 } },
        { &right, Interface::RightColumn, { 800 - 5 - 100, (600 - 25) / 2 } },
        { &top1, Interface::TopRow, { rowStart, topY } },
        { &top2, Interface::TopRow, { rowStart + width1 + 5, topY } },
        { &bottom, Interface::BottomRow, { (800 - charWidth - 20) / 2, 5 } },
    };
    for (const auto& [component, placement, position] : placed)
        ui->addComponent(component, placement);
    ui->update(0.0);
    for (const auto& [component, placement, position] : placed)
        EXPECT_EQ(component->getPosition(), position) << component->getName();
    EXPECT_EQ(top1.getSize(), Point(width1, lineHeight + 20));
}

TEST_F(InterfaceTest, KeysAndClicksReachTheFocusedFieldAndWindows)
{
    TextField field("ENTRY", "", true);
    ui->addComponent(&field, Interface::LeftColumn);
    ui->update(0.0);
    click(&field);
    ASSERT_EQ(ui->getFocusedField(), &field);
    const std::tuple<sf::Keyboard::Key, bool, bool> keys[] = { { sf::Keyboard::H, true, true },
        { sf::Keyboard::I, false, true }, { sf::Keyboard::Space, false, true },
        { sf::Keyboard::Num4, false, true }, { sf::Keyboard::Numpad2, false, true },
        { sf::Keyboard::Backspace, false, true }, { sf::Keyboard::Comma, false, false } };
    for (const auto& [key, shift, taken] : keys)
        EXPECT_EQ(taken, ui->keyPressed(key, shift)) << key;
    EXPECT_EQ(field.getText(), "Hi 4");
    // A press elsewhere lets go of the field; keys then reach the rest of the program.
    ui->mouseButton(0, 400, 300, true);
    EXPECT_TRUE(ui->getFocusedField() == nullptr && !field.isHighlighted());
    EXPECT_FALSE(ui->keyPressed(sf::Keyboard::W, false));
    // So does the Escape that closes the menu.
    escape();
    click(ui->getPage(0)[1]);
    const InterfaceComponent* about = ui->findComponent("TXT_ABOUT");
    click(about);
    ASSERT_EQ(ui->getFocusedField(), about);
    escape();
    escape();
    EXPECT_TRUE(!ui->menuOpen && !ui->keyPressed(sf::Keyboard::W, false));
    ComponentContainer window("WIN", "Window");
    window.setPosition(100, 100);
    window.setSize(200, 100);
    ui->addWindow(&window);
    EXPECT_TRUE(ui->mouseButton(0, 150, 150, true) && ui->mouseButton(0, 150, 208, true));
    EXPECT_TRUE(ui->mouseDragged(170, 218));
    EXPECT_EQ(window.getPosition(), Point(120, 110));
    ui->mouseButton(0, 170, 218, false);
    EXPECT_FALSE(ui->mouseDragged(400, 400));
}

TEST_F(InterfaceTest, ResizedWindowsStayInsideAndOffTheHeadsUpComponents)
{
    const auto resizeTo = [this](int w, int h) {
        Window::getInstance().onResize(w, h);
        ui->resize(w, h);
    };
    const int bar = ComponentContainer::titleBarHeight;
    resizeTo(1280, 800);
    // The player's heads-up texts and a statistic-like column; the picking and
    // help windows where the game opens them.
    TextField tool("TOOL", "Current Tool:Basic Dig Tool", false),
        hint("HINT", "Press ESC for menu, F to free mouse", false), height("HEIGHT", "500.25 m", false),
        side("SIDE", "12 blocks", false);
    Button help("HELP_BTN", "Help");
    const std::pair<InterfaceComponent*, int> headsUp[]
        = { { &tool, Interface::TopRow }, { &hint, Interface::TopRow }, { &help, Interface::TopRow },
              { &height, Interface::BottomRow }, { &side, Interface::RightColumn } };
    for (const auto& [component, placement] : headsUp)
        ui->addComponent(component, placement);
    ComponentContainer picking("FBO_CON", "FBO"), helpWindow("HELP_WIN", "Help");
    picking.setSize(100, 100);
    picking.setPosition(600, 600);
    helpWindow.setSize(500, 140);
    helpWindow.setPosition(200, 200);
    ui->update(0.0);
    ui->addWindow(&picking);
    ui->addWindow(&helpWindow);
    EXPECT_TRUE(picking.getPosition() == Point(600, 600) && helpWindow.getPosition() == Point(200, 200))
        << "where they are clear already, the windows stay put";
    for (const auto& [w, h] : { Point(1024, 640), Point(800, 600), Point(1920, 1080), Point(700, 400) }) {
        resizeTo(w, h);
        for (const ComponentContainer* window : { &picking, &helpWindow }) {
            // The title bar sits above the window's body.
            const auto [l, b] = window->getPosition();
            const int r = window->getRight(), t = window->getTop() + bar;
            EXPECT_TRUE(l >= 0 && b >= 0 && r <= w && t <= h) << window->getName() << " at " << w;
            for (const auto& [fixed, placement] : headsUp)
                EXPECT_FALSE(l < fixed->getRight() && fixed->getPosition().first < r && b < fixed->getTop()
                    && fixed->getPosition().second < t)
                    << window->getName() << " over " << fixed->getName() << " at " << w;
        }
    }
    // Too small for the window: its title bar stays on screen to move it by.
    resizeTo(80, 60);
    EXPECT_TRUE(picking.getPosition().first == 0 && picking.getTop() + bar == 60);
}

TEST_F(InterfaceTest, BackgroundWandersWithinItsBoundsTenTimesFasterWhileLoading)
{
    // The bounds are the single-precision values of 100/255 and 1/255; a channel
    // turns once past one, so by less than its largest step, 200 * dt * 254 / 127500.
    const double upper = 100.0f / 255.0f, lower = 1.0f / 255.0f, dt = 0.05, step = 200 * dt * 254 / 127500.0;
    double low[3] = { 1, 1, 1 }, high[3] = {};
    const auto drift = [&](bool loading, bool menu, double dt) {
        ui->loading = loading;
        ui->menuOpen = menu;
        const std::vector<double> before(ui->getBackground(), ui->getBackground() + 3);
        ui->update(dt);
        double total = 0.0;
        for (int i = 0; i < 3; ++i) {
            const double now = ui->getBackground()[i];
            total += std::abs(now - before[i]);
            low[i] = std::min(low[i], now);
            high[i] = std::max(high[i], now);
        }
        return total;
    };
    std::srand(1234);
    const double loading = drift(true, false, 0.01);
    std::srand(1234);
    EXPECT_NEAR(loading / drift(false, true, 0.01), 10.0, 1e-6);
    EXPECT_EQ(drift(false, false, 1.0), 0.0);
    std::srand(99);
    for (int n = 0; n < 4000; ++n)
        drift(true, false, dt);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::abs(high[i] - upper - step / 2) <= step / 2
            && std::abs(low[i] - lower + step / 2) <= step / 2)
            << "channel " << i;
    ui.reset();
    EXPECT_EQ(Interface::getInstance(), nullptr) << "published only while it exists";
}
TEST_F(InterfaceTest, OptionsButtonsStepTheSettingsAndWriteTheFileAtOnce)
{
    const std::string path = (std::filesystem::temp_directory_path() / "glebe-options.ini").string();
    // Edited by hand: values between the choices, a key the game does not know.
    std::ofstream(path)
        << "[settings] windowed_width 1000 windowed_height 700 AA_level 3 framerate_limit 45\n"
           "colour_depth 16 mouse_sensitivity 0.123 music_volume 70\n";
    SettingsFile settings = SettingsFile::read(path);
    int applied = 0;
    OptionsPage options(
        *ui, settings, path, 1280, 800, [&](const SettingsFile& s) { applied += &s == &settings; });
    ui->update(0.0);
    escape();
    click(ui->findComponent("SC_GOTO_PAGE_" + std::to_string(options.getPage())));
    ASSERT_EQ(ui->getCurrentPage(), options.getPage());
    const InterfaceComponent* top = ui->getPage(options.getPage()).back();
    EXPECT_GE(ui->getTitlePosition(options.getPage()).second, top->getTop() + 20) << "room for descenders";
    // Each row clicks a button and finds a line in the file; sizes beyond the
    // 1280 x 800 screen are not offered, the hand-edited one is.
    const struct
    {
        const char* button;
        int clicks;
        const char* line;
    } rows[] = {
        { "OPTION_FULLSCREEN", 1, "fullscreen true" },
        { "OPTION_FULLSCREEN", 1, "fullscreen false" },
        { "OPTION_WINDOW_SIZE", 1, "windowed_width 1024" },
        { "OPTION_WINDOW_SIZE", 3, "windowed_width 800" },
        { "OPTION_WINDOW_SIZE", 1, "windowed_height 700" },
        { "OPTION_ANTIALIASING", 1, "AA_level 4" },
        { "OPTION_ANTIALIASING", 2, "AA_level 0" },
        { "OPTION_FRAMERATE_LIMIT", 1, "framerate_limit 60" },
        { "OPTION_FRAMERATE_LIMIT", 2, "framerate_limit 0" },
        { "OPTION_MOUSE_SENSITIVITY", 1, "mouse_sensitivity 0.15" },
        { "OPTION_MOUSE_SENSITIVITY", 4, "mouse_sensitivity 0.05" },
        { "OPTION_MUSIC", 1, "music true" },
        { "OPTION_MUSIC", 0, "music_volume 70" },
        { "OPTION_MUSIC", 1, "music_volume 80" },
        { "OPTION_MUSIC", 2, "music false" },
        { "OPTION_MUSIC", 1, "music_volume 100" },
    };
    int clicks = 0;
    for (const auto& row : rows) {
        for (int n = 0; n < row.clicks; ++n, ++clicks)
            click(ui->findComponent(row.button));
        std::ifstream in(path);
        std::stringstream file;
        file << in.rdbuf();
        EXPECT_NE(file.str().find(std::string("\n") + row.line + "\n"), std::string::npos) << row.line;
        std::ostringstream saved, reread;
        settings.write(saved);
        SettingsFile::read(path).write(reread);
        EXPECT_EQ(saved.str(), reread.str()) << "the file reads back as the page left it";
    }
    EXPECT_EQ(applied, clicks);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    std::filesystem::remove(path);
}
}
