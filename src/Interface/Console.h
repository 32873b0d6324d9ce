#pragma once

#include "Interface/TextField.h"

#include <SFML/Window/Keyboard.hpp>
#include <deque>
#include <istream>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

class ConsoleAccessable;

// The drop-down command console: the built-in commands "exit", "help" and
// "bind", the registered command handlers, the log and the F1-F12 key
// bindings kept in "resources\keybindings.file".
//
// Threads: log() may be called from any thread (block loading and generation
// report through it); `mutex` guards the transcript, its revision and the
// handler list. Everything else (keys, commands, bindings, the two text
// fields and drawing) runs on the main thread.
class Console
{
public:
    using Words = std::deque<std::string>;

    // Created on the first call, never destroyed; reads the bindings file.
    static Console& getInstance();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // True when the console took the key. Tilde opens and closes it; while
    // closed, F1-F12 run their bound command lines. Never takes F12.
    bool keyPressed(sf::Keyboard::Key code, bool shift);
    bool isOpen() const { return open; }
    // The transcript (300 pixels high) and the command line below it as text
    // fields across the top of the window. Main thread, GL context current.
    void draw();
    void log(const std::string& text);
    void resize(int width, int height);

    void registerHandler(ConsoleAccessable* handler);
    void unregisterHandler(ConsoleAccessable* handler);
    // words holds at least the command word; returns the reply.
    std::string runCommand(Words words);

    // A command line cut at spaces and commas; one empty word when it holds
    // none, so an empty line runs as an unrecognised command.
    static Words splitWords(const std::string& line);

    // Replaces the bindings with those of the bindings file; false (after
    // logging the format error) when the file is missing or malformed, in
    // which case the bindings read before the error stay.
    bool readBindings();
    // The bindings file's records, from any stream; false at the first damaged
    // record (a key number other than F1..F12 is damage), keeping the records
    // read before it.
    static bool parseBindings(std::istream& in, std::map<int, Words>& parsed);
    static void writeBindings(std::ostream& out, const std::map<int, Words>& bound);
    // The reply of "bind list".
    static std::string listBindings(const std::map<int, Words>& bound);

    std::string transcript() const;
    const std::string& commandLine() const { return input; }
    // The fields drawn while open, brought up to date first. Main thread.
    const TextField& outputView();
    const TextField& inputView();
    // Bound words by the key bindings file's key numbers (F1 = 305 ... F12 = 316).
    const std::map<int, Words>& keyBindings() const { return bindings; }

private:
    Console();

    void submit();
    void append(const std::string& text);
    std::string bind(Words words);
    void saveBindings() const;
    void layout();
    // Brings the output field up to the transcript, which other threads may
    // have extended, and scrolls it to its end.
    void showTranscript();
    // Shows the command line behind a prompt, with a cursor.
    void showCommandLine();

    mutable std::mutex mutex;
    std::string output;
    std::size_t outputLines = 0;
    // Counts the transcript's changes.
    std::size_t revision = 0;
    std::vector<ConsoleAccessable*> handlers;

    // The transcript's revision the output field shows.
    std::size_t shownRevision = 0;
    TextField outputField { "CONSOLE_OUTPUT", "", false };
    TextField inputField { "CONSOLE_INPUT", "", false };

    std::string input;
    bool open = false;
    std::map<int, Words> bindings;
};
