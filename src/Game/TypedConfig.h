#pragma once

#include <istream>
#include <map>
#include <string>

// A small text format of named, typed values: a "[settings]" header, then for
// each entry a type line (bool, int, double, string), a name line, a value
// line and an empty line. The world file is stored this way. Entries the
// program does not use are kept and written back.
class TypedConfig {
public:
    explicit TypedConfig(const std::string& path);
    TypedConfig() = default;

    // True when the file was read; false leaves the tables empty.
    bool load(std::istream& in);
    bool loaded() const { return loadedOk; }

    bool getBool(const std::string& name, bool fallback) const;
    int getInt(const std::string& name, int fallback) const;
    double getDouble(const std::string& name, double fallback) const;
    std::string getString(const std::string& name, const std::string& fallback) const;
    void setBool(const std::string& name, bool value);
    void setInt(const std::string& name, int value);
    void setDouble(const std::string& name, double value);
    void setString(const std::string& name, const std::string& value);
    bool empty() const;

    void write(std::ostream& out) const;
    // Writes beside the target and renames over it, so an interrupted save
    // leaves the previous file whole. False when the file could not be written.
    bool save(const std::string& targetPath) const;

    std::string path;
    std::map<std::string, bool> bools;
    std::map<std::string, int> ints;
    std::map<std::string, double> doubles;
    std::map<std::string, std::string> strings;

private:
    bool loadedOk = false;
};
