#include "Game/Window.h"
#include "Graphics/BufferPool.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// Filing a request is the last thing a worker does before it waits.
void waitForRequests(int requests)
{
    while (BufferPool::getInstance().pendingRequests() < requests)
        std::this_thread::yield();
}

void drain()
{
    BufferPool& pool = BufferPool::getInstance();
    while (pool.spareNames() > 0)
        pool.acquire();
}

TEST(BufferPoolTest, MainThreadGeneratesNamesDirectly)
{
    BufferPool& pool = BufferPool::getInstance();
    drain();
    const GLuint first = pool.acquire();
    const GLuint second = pool.acquire();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(pool.pendingRequests(), 0);
    EXPECT_EQ(pool.spareNames(), 0);
}

TEST(BufferPoolTest, WorkersWaitForOneServiceThatServesThemAllAndTheNextRequests)
{
    BufferPool& pool = BufferPool::getInstance();
    drain();
    GLuint names[3] = {};
    std::thread first([&] { names[0] = pool.acquire(); });
    std::thread second([&] { names[1] = pool.acquire(); });
    waitForRequests(2);
    pool.service();
    first.join();
    second.join();

    EXPECT_NE(names[0], 0u);
    EXPECT_NE(names[1], 0u);
    EXPECT_NE(names[0], names[1]);
    EXPECT_EQ(pool.pendingRequests(), 0);
    EXPECT_EQ(pool.spareNames(), 2 * BufferPool::batchSize - 2);

    // A worker finding spare names takes one at once; joining it without a
    // service call proves it did not wait.
    std::thread third([&] { names[2] = pool.acquire(); });
    third.join();
    EXPECT_NE(names[2], 0u);
    EXPECT_EQ(pool.pendingRequests(), 0);
    EXPECT_EQ(pool.spareNames(), 2 * BufferPool::batchSize - 3);
}

TEST(BufferPoolTest, WaitingWorkerIsReleasedWhenTheProgramShutsDown)
{
    BufferPool& pool = BufferPool::getInstance();
    drain();
    GLuint name = 1;
    std::thread worker([&] { name = pool.acquire(); });
    waitForRequests(1);
    Window::getInstance().running = false;
    worker.join();
    Window::getInstance().running = true;

    EXPECT_EQ(name, 0u);
    pool.service();
    EXPECT_EQ(pool.pendingRequests(), 0);
}

} // namespace
