#pragma once

#include <deque>
#include <string>

// A console command handler, reached by typing its one-word name. A derived
// class registers itself with Console::getInstance().registerHandler(this) at
// the end of its own constructor; this base unregisters it on destruction so
// the console never calls a handler that is gone. Commands run on the main
// thread.
class ConsoleAccessable
{
public:
    explicit ConsoleAccessable(std::string name);
    virtual ~ConsoleAccessable();
    ConsoleAccessable(const ConsoleAccessable&) = delete;
    ConsoleAccessable& operator=(const ConsoleAccessable&) = delete;

    // words are those typed after the name, possibly none; returns the reply.
    virtual std::string handleCommand(const std::deque<std::string>& words) = 0;

    const std::string name;
};
