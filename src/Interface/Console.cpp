#include "Interface/Console.h"

#include "Game/MessageLog.h"
#include "Game/ResourcePath.h"
#include "Game/Window.h"
#include "Interface/ConsoleAccessable.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {
const char* const bindingsFile = "resources\\keybindings.file";
// The bindings file keeps the key numbers of the original key code table:
// F1 is 305, F12 is 316.
constexpr int firstFunctionKeyNumber = 305;
constexpr int functionKeyOffset = firstFunctionKeyNumber - 1;
constexpr int outputHeight = 300;
constexpr int inputHeight = 25;
// Worker threads can log without end; the scroll-back keeps the newest lines.
constexpr std::size_t maximumTranscriptLines = 2000;

bool isPrintable(const std::string& token)
{
    return std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 127; });
}

// A whole-token decimal number of a function key, F1 (305) to F12 (316). The
// whole token counts: "316" followed by a NUL byte and junk is no number.
bool readKeyNumber(const std::string& token, int& number)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(token.c_str(), &end, 10);
    if (end != token.c_str() + token.size() || errno == ERANGE || value <= functionKeyOffset
        || value > functionKeyOffset + 12)
        return false;
    number = static_cast<int>(value);
    return true;
}

// The n of a word "f<n>" (lower-case f, read as C's "f%d" reads it); false when
// no number follows the f. A number too large for a long reads as 0, which is
// then refused like any other key outside F1-F12.
bool readFunctionKey(const std::string& word, long& n)
{
    if (word.size() < 2 || word[0] != 'f')
        return false;
    char* end = nullptr;
    errno = 0;
    n = std::strtol(word.c_str() + 1, &end, 10);
    if (end == word.c_str() + 1)
        return false;
    if (errno == ERANGE)
        n = 0;
    return true;
}
}

Console& Console::getInstance()
{
    // Never destroyed: handlers unregister from their destructors, which may
    // run during static destruction.
    static Console* instance = new Console;
    return *instance;
}

Console::Console()
{
    outputField.setColour(0.0, 0.0, 0.0);
    inputField.setColour(0.1, 0.0, 0.0);
    layout();
    readBindings();
}

void Console::layout()
{
    const Window& window = Window::getInstance();
    outputField.setPosition(0, window.height - outputHeight);
    outputField.setSize(window.width, outputHeight);
    inputField.setPosition(0, window.height - outputHeight - inputHeight);
    inputField.setSize(window.width, inputHeight);
}

bool Console::keyPressed(sf::Keyboard::Key code, bool shift)
{
    if (code == sf::Keyboard::Tilde) {
        open = !open;
        if (open)
            input.clear();
    }
    if (!open) {
        if (code >= sf::Keyboard::F1 && code <= sf::Keyboard::F12) {
            const auto binding = bindings.find(code - sf::Keyboard::F1 + firstFunctionKeyNumber);
            if (binding != bindings.end() && !binding->second.empty())
                runCommand(binding->second);
        }
        return false;
    }
    if (const char c = TextField::characterForKey(code, shift)) {
        input += c;
        return true;
    }
    switch (code) {
    case sf::Keyboard::Backspace:
        if (!input.empty())
            input.pop_back();
        return true;
    case sf::Keyboard::Enter:
        submit();
        return true;
    // The punctuation keys type but are not taken: the rest of the program
    // sees them too.
    case sf::Keyboard::Comma:
        input += ',';
        return false;
    case sf::Keyboard::Period:
        input += '.';
        return false;
    case sf::Keyboard::Hyphen:
        input += shift ? '_' : '-';
        return false;
    case sf::Keyboard::Up:
        showTranscript();
        outputField.scrollUp(2);
        return false;
    case sf::Keyboard::Down:
        showTranscript();
        outputField.scrollDown(2);
        return false;
    default:
        return false;
    }
}

void Console::draw()
{
    showTranscript();
    showCommandLine();
    outputField.draw();
    inputField.draw();
}

const TextField& Console::outputView()
{
    showTranscript();
    return outputField;
}

const TextField& Console::inputView()
{
    showCommandLine();
    return inputField;
}

void Console::showCommandLine()
{
    const std::string shown = "> " + input + "_";
    if (inputField.getText() != shown) {
        inputField.setText(shown);
        inputField.scrollToEnd();
    }
}

void Console::showTranscript()
{
    std::string text;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (revision == shownRevision)
            return;
        shownRevision = revision;
        text = output;
    }
    outputField.setText(text);
    outputField.scrollToEnd();
}

void Console::log(const std::string& text)
{
    if (MessageLog* file = MessageLog::getInstance())
        file->append("Console log: " + text + "\n");
    append("----  Log  ---- \n " + text + " \n ----End Log---- \n\n ");
}

void Console::resize(int, int)
{
    // The window singleton already holds the new size when the game calls this.
    layout();
    const Window& window = Window::getInstance();
    std::ostringstream message;
    message << "Window Resized to: " << static_cast<double>(window.width) << "x"
            << static_cast<double>(window.height);
    log(message.str());
}

void Console::registerHandler(ConsoleAccessable* handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    handlers.push_back(handler);
}

void Console::unregisterHandler(ConsoleAccessable* handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    handlers.erase(std::remove(handlers.begin(), handlers.end(), handler), handlers.end());
}

std::string Console::runCommand(Words words)
{
    const std::string command = words.empty() ? std::string() : words.front();
    if (!words.empty())
        words.pop_front();
    std::string reply = "Unrecognized command: \"" + command + "\"";

    std::vector<ConsoleAccessable*> registered;
    {
        std::lock_guard<std::mutex> lock(mutex);
        registered = handlers;
    }
    if (command == "exit") {
        Window::getInstance().running = false;
        reply = "Exiting program...";
    } else if (command == "help") {
        reply = "List of commands: \n ";
        for (const ConsoleAccessable* handler : registered)
            reply += "  " + handler->name + " \n ";
        reply += " bind\n \n Type a command name without any other parameters to see more about that command";
    } else if (command == "bind") {
        reply = bind(words);
    }
    for (ConsoleAccessable* handler : registered)
        if (handler->name == command)
            reply = handler->handleCommand(words);
    return reply;
}

Console::Words Console::splitWords(const std::string& line)
{
    Words words;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t separator = line.find_first_of(" ,", start);
        if (separator == std::string::npos)
            separator = line.size();
        if (separator > start)
            words.push_back(line.substr(start, separator - start));
        start = separator + 1;
    }
    if (words.empty())
        words.push_back("");
    return words;
}

bool Console::readBindings()
{
    bindings.clear();
    // The file is the user's, not the repository's: a first start makes it,
    // empty, in the resources folder.
    const std::filesystem::path path = resourcePath(bindingsFile);
    std::error_code error;
    if (!std::filesystem::exists(path, error) && std::filesystem::is_directory(path.parent_path(), error)) {
        saveBindings();
        return true;
    }
    std::ifstream file(path);
    // A file that cannot be opened is reported like a malformed one.
    const bool valid = file.is_open() && parseBindings(file, bindings);
    if (!valid)
        log("Error: invalid format of keybinds file!");
    return valid;
}

bool Console::parseBindings(std::istream& in, std::map<int, Words>& parsed)
{
    parsed.clear();
    std::string token;
    bool more = static_cast<bool>(in >> token);
    // An empty file simply holds no bindings.
    bool valid = true;
    while (valid && more) {
        int key = 0;
        std::string keyToken;
        valid = token == "#" && in >> keyToken && readKeyNumber(keyToken, key);
        Words words;
        while (valid && (more = static_cast<bool>(in >> token)) && token != "#") {
            valid = isPrintable(token);
            words.push_back(token);
        }
        // A record cut short by damage is dropped whole.
        if (valid)
            parsed[key].insert(parsed[key].end(), words.begin(), words.end());
    }
    return valid;
}

void Console::writeBindings(std::ostream& out, const std::map<int, Words>& bound)
{
    for (const auto& [key, words] : bound) {
        out << "#\n" << key << "\n";
        for (const std::string& word : words)
            out << word << "\n";
    }
}

std::string Console::listBindings(const std::map<int, Words>& bound)
{
    if (bound.empty())
        return "No keybinds set";
    std::string reply = "Current keybinds:";
    for (const auto& [key, words] : bound) {
        reply += "\n- f" + std::to_string(key - functionKeyOffset) + " > ";
        for (const std::string& word : words)
            reply += word + " ";
    }
    return reply + "\n";
}

std::string Console::transcript() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return output;
}

void Console::submit()
{
    const std::string line = input;
    const std::string reply = runCommand(splitWords(line));
    if (MessageLog* file = MessageLog::getInstance())
        file->append("> " + line + "\n" + reply + "\n");
    append(">" + line + " \n " + reply + " \n\n ");
    input.clear();
}

void Console::append(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex);
    output += text;
    outputLines += std::count(text.begin(), text.end(), '\n');
    ++revision;
    std::size_t cut = 0;
    for (; outputLines > maximumTranscriptLines; --outputLines)
        cut = output.find('\n', cut) + 1;
    output.erase(0, cut);
}

std::string Console::bind(Words words)
{
    const std::string usage = "Bind commands: \n bind [f1..12] [command]\n bind list";
    if (words.empty())
        return usage;
    const std::string first = words.front();
    words.pop_front();
    if (first == "list")
        return listBindings(bindings);
    long n = 0;
    if (!readFunctionKey(first, n))
        return usage;
    if (n < 1 || n > 12)
        return "Bind error: Only allowed to bind key F1 to F12";
    // "#" marks a record in the bindings file: saved inside a command it would
    // split the binding in two at the next start.
    for (const std::string& word : words)
        if (word.find('#') != std::string::npos)
            return "Bind error: a bound command cannot contain \"#\"";
    bindings[static_cast<int>(n) + functionKeyOffset] = words;
    saveBindings();
    std::string reply = "Bind: " + first + " > ";
    for (const std::string& word : words)
        reply += " " + word;
    return reply;
}

void Console::saveBindings() const
{
    const std::filesystem::path target = resourcePath(bindingsFile);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    bool saved = false;
    {
        std::ofstream file(temporary, std::ios::trunc);
        writeBindings(file, bindings);
        file.close();
        saved = static_cast<bool>(file);
    }
    std::error_code error;
    if (saved)
        std::filesystem::rename(temporary, target, error);
    if (!saved || error) {
        std::filesystem::remove(temporary, error);
        std::cout << "Error: could not save keybinds file " << target.string() << "!" << std::endl;
    }
}
