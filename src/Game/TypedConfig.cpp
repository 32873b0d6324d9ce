#include "Game/TypedConfig.h"

#include "Game/ResourcePath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

namespace {
const double unparsable = 2147483647.0;

// Lines are read whole; carriage returns left by an editor on another
// platform end the line with the newline, so such files read the same and a
// rewrite cannot shorten a run of them one by one.
bool readLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// The shortest text that reads back as the same double, so that saving the
// world file again and again never moves the player or the sun.
std::string exactText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string withoutBlanks(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
        text.end());
    return text;
}

double parseNumber(const std::string& text)
{
    std::istringstream in(withoutBlanks(text));
    in >> std::dec;
    double value;
    if (!(in >> value))
        return unparsable;
    return value;
}

int truncateToInt(double value)
{
    if (std::isnan(value))
        return static_cast<int>(unparsable);
    value = std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
        static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(value);
}

template <typename T>
T lookup(const std::map<std::string, T>& table, const std::string& name, const T& fallback)
{
    auto it = table.find(name);
    return it == table.end() ? fallback : it->second;
}
}

TypedConfig::TypedConfig(const std::string& filePath)
    : path(filePath)
{
    std::ifstream in(resourcePath(filePath));
    if (!in || !load(in))
        std::cout << "Loading of \"" << filePath << "\" failed!\n";
}

bool TypedConfig::load(std::istream& in)
{
    std::string line;
    if (!readLine(in, line) || withoutBlanks(line) != "[settings]") {
        std::cout << "Line 1 was not expected header!\n";
        return false;
    }

    int counter = 2;
    while (readLine(in, line)) {
        ++counter;
        const std::string type = withoutBlanks(line);
        if (type.empty())
            continue;
        if (type != "bool" && type != "int" && type != "double" && type != "string") {
            std::cout << path << "\n [WARNING] Unrecognized token \n[WARNING] \"" << line
                      << "\" \n[WARNING]  at line " << counter << "\n";
            continue;
        }
        std::string name, value;
        readLine(in, name);
        readLine(in, value);
        if (type == "bool")
            bools[name] = withoutBlanks(value) == "true";
        else if (type == "int")
            ints[name] = truncateToInt(parseNumber(value));
        else if (type == "double")
            doubles[name] = parseNumber(value);
        else
            strings[name] = value;
    }
    loadedOk = true;
    return true;
}

bool TypedConfig::getBool(const std::string& name, bool fallback) const { return lookup(bools, name, fallback); }
int TypedConfig::getInt(const std::string& name, int fallback) const { return lookup(ints, name, fallback); }
double TypedConfig::getDouble(const std::string& name, double fallback) const
{
    return lookup(doubles, name, fallback);
}
std::string TypedConfig::getString(const std::string& name, const std::string& fallback) const
{
    return lookup(strings, name, fallback);
}

void TypedConfig::setBool(const std::string& name, bool value) { bools[name] = value; }
void TypedConfig::setInt(const std::string& name, int value) { ints[name] = value; }
void TypedConfig::setDouble(const std::string& name, double value) { doubles[name] = value; }
void TypedConfig::setString(const std::string& name, const std::string& value) { strings[name] = value; }

bool TypedConfig::empty() const
{
    return bools.empty() && ints.empty() && doubles.empty() && strings.empty();
}

void TypedConfig::write(std::ostream& out) const
{
    out << "[settings]\n";
    for (const auto& [name, value] : bools)
        out << "bool\n" << name << "\n" << (value ? "true" : "false") << "\n\n";
    for (const auto& [name, value] : ints)
        out << "int\n" << name << "\n" << value << "\n\n";
    for (const auto& [name, value] : doubles)
        out << "double\n" << name << "\n" << exactText(value) << "\n\n";
    for (const auto& [name, value] : strings)
        out << "string\n" << name << "\n" << value << "\n\n";
}

bool TypedConfig::save(const std::string& targetPath) const
{
    const std::string target = resourcePath(targetPath);
    const std::string temporary = target + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out)
            return false;
        write(out);
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), target.c_str()) == 0;
}
