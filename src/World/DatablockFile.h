#pragma once

#include <string>

class WaterDatablock;
class datablock;

// The two binary block files: a terrain block as 8000 records of density and
// material bytes, a water block as 8000 value bytes, both with x outermost and
// z innermost and no header. A uniform block (all air; all dry or all full
// water) is stored in two bytes. A missing or malformed file is never an
// error for the user: the loader reports it and the block is generated.
//
// Saves write a temporary file beside the target and rename it over the old
// one, so an interrupted save leaves the previous file whole. An unwritable
// file is fatal: the message goes to standard output and "FATAL EXCEPTION" is
// thrown; the block's contents are untouched.
//
// Threads: the data manager calls these under its mutex, which serialises the
// saves and loads of one block; loads add to the statistics table and the
// record of damaged files, which have their own locks. encode and decode touch
// nothing but their arguments.
class DatablockFile
{
public:
    static constexpr int RECORDS = 8000;

    static void save(const datablock& block);
    // True when the block now holds the file's contents; false when it must be generated.
    static bool load(datablock& block);
    static void save(const WaterDatablock& block);
    // True when the block now holds the file's contents; false leaves every value uncomputed.
    static bool load(WaterDatablock& block);

    // The file's bytes for a block, and the block from a file's bytes: false
    // for a malformed file, with what is wrong in `problem`.
    static std::string encode(const datablock& block);
    static bool decode(const std::string& bytes, datablock& block, std::string& problem);
    static std::string encode(const WaterDatablock& block);
    static bool decode(const std::string& bytes, WaterDatablock& block, std::string& problem);

private:
    // Prints the problem the first time a file is found damaged in this run
    // and keeps a copy of it as "<file>.bad".
    static void reportDamaged(const std::string& file, const std::string& problem);
    static void writeReplacing(const std::string& file, const std::string& bytes);
    // Up to `limit` bytes from the start of the file; false when it cannot be opened.
    static bool readStart(const std::string& file, std::string& bytes, std::size_t limit);
};
