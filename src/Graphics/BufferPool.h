#pragma once

#include <GL/glew.h>
#include <condition_variable>
#include <deque>
#include <mutex>

// Hands out OpenGL buffer names to any thread. Names can only be generated
// on the thread that holds the context (the main thread), so a thread
// without one takes a spare name or files a request and waits until the main
// thread's service() has generated a batch.
//
// Threads: acquire() from any thread; service() from the main thread only,
// once per update. `mutex` guards pending and freeNames; nobody sleeps or
// calls OpenGL while holding it except service(), which generates under it.
class BufferPool
{
public:
    static BufferPool& getInstance();

    // A buffer name. Returns 0 when the program is shutting down
    // (Window::running cleared) while the caller waits for names.
    GLuint acquire();
    void service();

    int pendingRequests() const;
    int spareNames() const;

    static constexpr int batchSize = 20;

private:
    BufferPool() = default;

    mutable std::mutex mutex;
    std::condition_variable served;
    int pending = 0;
    std::deque<GLuint> freeNames;
};
