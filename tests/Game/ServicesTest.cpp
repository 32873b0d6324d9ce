#include "Game/EventDispatcher.h"
#include "Game/EventListener.h"
#include "Game/ResourcePath.h"
#include "Game/Window.h"

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
