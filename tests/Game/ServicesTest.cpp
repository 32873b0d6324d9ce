#include "Game/EventDispatcher.h"
#include "Game/EventListener.h"
#include "Game/ResourcePath.h"
#include "Game/Screenshot.h"
#include "Game/Window.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

TEST(ResourcePath, MapsTheLiteralPathsToTheOneResourcesFolder)
{
    EXPECT_EQ("resources/terrain/world/map.file", resourcePath("resources\\terrain\\world\\map.file"));
    EXPECT_EQ("./resources/Shaders/basic", resourcePath("./Resources/Shaders/basic"));
    EXPECT_EQ("resources/keybindings.file", resourcePath("Resources\\keybindings.file"));
    EXPECT_EQ("ResourcesExtra/x", resourcePath("ResourcesExtra/x"));
    EXPECT_EQ("data/Resources/x", resourcePath("data\\Resources\\x"));
}

TEST(Window, ClearColourIsOnlyStoredWithoutNegativeComponents)
{
    Window& w = Window::getInstance();
    w.setClearColor(0.25, 0.5, 0.75);
    EXPECT_DOUBLE_EQ(0.25, w.setClearColor(-1, -1, -1)[0]);
    w.setClearColor(0.5, -1, 0);
    EXPECT_DOUBLE_EQ(0.5, w.clearColor[1]);
}

namespace {
struct RecordingListener : EventListener
{
    int resizes = 0;
    bool lastFocus = false;
    void onResize(int, int) override { ++resizes; }
    void onFocus(bool gained) override { lastFocus = gained; }
};
}

TEST(EventDispatcher, NotifiesEachListenerOnceAndTheWindowTracksItsSize)
{
    static RecordingListener listener;
    EventDispatcher& dispatcher = EventDispatcher::getInstance();
    EXPECT_TRUE(dispatcher.addListener(&listener));
    EXPECT_FALSE(dispatcher.addListener(&listener));
    EXPECT_FALSE(dispatcher.addListener(&Window::getInstance())) << "the window registers itself";
    dispatcher.notifyResize(1024, 768);
    dispatcher.notifyFocus(true);
    EXPECT_EQ(1, listener.resizes);
    EXPECT_TRUE(listener.lastFocus);
    EXPECT_EQ(1024, Window::getInstance().width);
    EXPECT_EQ(768, Window::getInstance().height);
}

TEST(Screenshot, SavesPngsNamedByTheTimeAndSaysWhyItCannot)
{
    const auto dir = std::filesystem::temp_directory_path() / "glebe-screenshots";
    std::filesystem::remove_all(dir);
    const std::string folder = (dir / "shots").string();
    sf::Image image;
    image.create(3, 2, sf::Color(10, 200, 30));
    image.setPixel(2, 1, sf::Color::Red);
    std::tm local {};
    local.tm_year = 126;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    const std::time_t when = std::mktime(&local);
    const std::string first = folder + "/2026-01-02_03-04-05.png";
    EXPECT_EQ("Screenshot saved: " + first, Screenshot::save(image, folder, when));
    EXPECT_EQ(
        "Screenshot saved: " + folder + "/2026-01-02_03-04-05_2.png", Screenshot::save(image, folder, when));
    sf::Image back;
    ASSERT_TRUE(back.loadFromFile(first));
    EXPECT_TRUE(
        back.getSize() == image.getSize() && !std::memcmp(back.getPixelsPtr(), image.getPixelsPtr(), 24));
    // A file where the folder should be; a frame of no pixels, whose file goes again.
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(
        0u, Screenshot::save(image, (dir / "file").string(), when).find("Screenshot not saved: cannot make"));
    EXPECT_EQ(0u, Screenshot::save(sf::Image(), folder, when).find("Screenshot not saved: the PNG"));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder), {}));
    std::filesystem::remove_all(dir);
}
