#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

// The session's record on disk: the console's commands and replies and every
// line written to standard output and standard error are appended to one file
// (glebeworks.log in the working directory for the game), so that what
// happened can be read after the window is gone. Past `limit` bytes the file
// is renamed to "<file>.1", replacing the older one, and a new one begun.
//
// Threads: append() and the teed streams may be used from any thread;
// `mutex` guards the file. Made and destroyed on the main thread; while it
// lives it is the instance.
class MessageLog
{
public:
    static constexpr std::uintmax_t LIMIT = 1 << 20;

    explicit MessageLog(std::filesystem::path file, std::uintmax_t limit = LIMIT);
    // Gives the teed streams their own buffers back.
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Null when none exists.
    static MessageLog* getInstance();

    void append(const std::string& text);
    // From now on, everything written to the stream also reaches the file,
    // a line at a time.
    void tee(std::ostream& stream);

private:
    class Tee;

    std::mutex mutex;
    const std::filesystem::path file;
    const std::uintmax_t limit;
    std::ofstream out;
    std::uintmax_t size = 0;
    std::vector<std::unique_ptr<Tee>> tees;
};
