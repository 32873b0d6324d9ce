#include "Graphics/BufferPool.h"

#include "Game/Window.h"
#include "Graphics/CurrentContext.h"

#include <chrono>

BufferPool& BufferPool::getInstance()
{
    static BufferPool instance;
    return instance;
}

GLuint BufferPool::acquire()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (freeNames.empty()) {
        if (hasCurrentContext()) {
            lock.unlock();
            GLuint name = 0;
            glGenBuffers(1, &name);
            return name;
        }
        ++pending;
        // The poll interval also notices a shutdown, which clears Window::running
        // without notifying anyone; waiting past it would hang the thread's join.
        while (freeNames.empty()) {
            if (!Window::getInstance().running)
                return 0;
            served.wait_for(lock, std::chrono::milliseconds(20));
        }
    }
    GLuint name = freeNames.front();
    freeNames.pop_front();
    return name;
}

void BufferPool::service()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (; pending > 0; --pending) {
        for (int i = 0; i < batchSize; ++i) {
            GLuint name = 0;
            glGenBuffers(1, &name);
            freeNames.push_back(name);
        }
    }
    served.notify_all();
}

int BufferPool::pendingRequests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return pending;
}

int BufferPool::spareNames() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return freeNames.size();
}
