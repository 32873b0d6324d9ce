#include "Game/Window.h"
#include "Graphics/BufferPool.h"

#include <gtest/gtest.h>
#include <thread>

// Filing a request is the last thing a worker does before it waits.
static void waitForRequests(const BufferPool& pool, int requests)
{
    while (pool.pendingRequests() < requests)
        std::this_thread::yield();
}

TEST(BufferPoolTest, WorkersWaitForOneServiceThatServesThemAllAndTheNextRequests)
{
    BufferPool& pool = BufferPool::getInstance();
    while (pool.spareNames() > 0)
        EXPECT_NE(pool.acquire(), 0u);
    EXPECT_NE(pool.acquire(), 0u) << "the main thread generates names itself";
    GLuint names[3] = {};
    std::thread first([&] { names[0] = pool.acquire(); });
    std::thread second([&] { names[1] = pool.acquire(); });
    waitForRequests(pool, 2);
    pool.service();
    first.join();
    second.join();
    EXPECT_TRUE(names[0] && names[1] && names[0] != names[1]);
    EXPECT_EQ(pool.spareNames(), 2 * BufferPool::batchSize - 2);
    // Joining without a service call proves a worker finding spare names does not wait.
    std::thread([&] { names[2] = pool.acquire(); }).join();
    EXPECT_NE(names[2], 0u);
    EXPECT_EQ(pool.pendingRequests(), 0);
    EXPECT_EQ(pool.spareNames(), 2 * BufferPool::batchSize - 3);
}

TEST(BufferPoolTest, WaitingWorkerIsReleasedWhenTheProgramShutsDown)
{
    BufferPool& pool = BufferPool::getInstance();
    while (pool.spareNames() > 0)
        pool.acquire();
    GLuint name = 1;
    std::thread worker([&] { name = pool.acquire(); });
    waitForRequests(pool, 1);
    Window::getInstance().running = false;
    worker.join();
    Window::getInstance().running = true;
    EXPECT_EQ(name, 0u);
    pool.service();
    EXPECT_EQ(pool.pendingRequests(), 0);
}
