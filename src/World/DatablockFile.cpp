#include "World/DatablockFile.h"

#include "Game/ResourcePath.h"
#include "Interface/StatsManager.h"
#include "World/Voxel.h"
#include "World/WaterDatablock.h"
#include "World/datablock.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>

namespace {

constexpr char AIR_BYTE = static_cast<char>(Voxel::FULLY_AIR);

// Record i of a file holds the voxel with local index (i / 400, i / 20 mod 20,
// i mod 20), which is where the block keeps it: the files are read and written
// in one pass over the records (thousands of times a second when fuzzed).
std::int8_t signedByte(char c)
{
    return static_cast<std::int8_t>(c);
}

void recordLoad(double seconds)
{
    StatsManager& stats = StatsManager::getInstance();
    stats.addToStat("Loaded datablocks", 1.0);
    stats.addToStat("Total Time Loading datablocks", seconds);
    const double total = stats.getStat("Total Time Loading datablocks");
    if (total > 0.0)
        stats.setStat("Loading Average Time (db/s)", stats.getStat("Loaded datablocks") / total);
}

} // namespace

std::string DatablockFile::encode(const datablock& block)
{
    std::string bytes;
    if (block.isAllAir()) {
        bytes.assign(2, AIR_BYTE);
    } else {
        bytes.resize(2 * RECORDS);
        const Voxel* voxels = block.records();
        for (int i = 0; i < RECORDS; ++i) {
            bytes[2 * i] = static_cast<char>(voxels[i].density());
            bytes[2 * i + 1] = static_cast<char>(voxels[i].material());
        }
    }
    return bytes;
}

bool DatablockFile::decode(const std::string& bytes, datablock& block, std::string& problem)
{
    // Records beyond the 8000th are not looked at; a record counts only when
    // both of its bytes are there.
    const std::size_t records = std::min<std::size_t>(bytes.size(), 2 * RECORDS) / 2;
    if (records == 1) {
        // Two bytes stand for a block of air, whatever they hold.
        Voxel* voxels = block.records();
        for (int i = 0; i < RECORDS; ++i) {
            voxels[i].setDensity(Voxel::FULLY_AIR);
            voxels[i].setMaterial(Voxel::AIR_MATERIAL);
        }
        return true;
    }
    if (records != static_cast<std::size_t>(RECORDS)) {
        problem = "ERROR: read in data was NOT a special case, but did not match expected size of "
            + std::to_string(RECORDS) + "\nActual datacounter: " + std::to_string(records)
            + "\nReverting to generating datablock!\n";
        return false;
    }
    Voxel* voxels = block.records();
    for (int i = 0; i < RECORDS; ++i) {
        voxels[i].setDensity(signedByte(bytes[2 * i]));
        voxels[i].setMaterial(static_cast<unsigned char>(bytes[2 * i + 1]));
    }
    return true;
}

void DatablockFile::save(const datablock& block)
{
    writeReplacing(block.filename(), encode(block));
}

bool DatablockFile::load(datablock& block)
{
    std::string bytes;
    std::string problem;
    const auto start = std::chrono::steady_clock::now();
    if (!readStart(block.filename(), bytes, 2 * RECORDS))
        return false;
    if (!decode(bytes, block, problem)) {
        reportDamaged(block.filename(), problem);
        return false;
    }
    recordLoad(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return true;
}

std::string DatablockFile::encode(const WaterDatablock& block)
{
    std::string bytes;
    if (block.isAllDry()) {
        bytes.assign(2, static_cast<char>(WaterDatablock::DRY));
    } else if (block.isAllFull()) {
        bytes.assign(2, static_cast<char>(WaterDatablock::FULL));
    } else {
        bytes.resize(RECORDS);
        const WaterDatablock::Cell* values = block.values();
        for (int i = 0; i < RECORDS; ++i)
            bytes[i] = static_cast<char>(values[i].load(std::memory_order_relaxed));
    }
    return bytes;
}

bool DatablockFile::decode(const std::string& bytes, WaterDatablock& block, std::string& problem)
{
    const std::size_t size = std::min<std::size_t>(bytes.size(), RECORDS);
    if (size == 2) {
        // Only the last byte says which uniform block this is.
        const int value = signedByte(bytes[1]);
        if (value == WaterDatablock::DRY || value == WaterDatablock::FULL) {
            WaterDatablock::Cell* values = block.values();
            for (int i = 0; i < RECORDS; ++i)
                values[i].store(static_cast<std::int8_t>(value), std::memory_order_relaxed);
            return true;
        }
        problem = "Water Datablock datacounter was 2, but had unexpected value of " + std::to_string(value)
            + "\nReverting to generating water datablock!\n";
    } else if (size != static_cast<std::size_t>(RECORDS)) {
        problem = "Water Datablock datacounter was not " + std::to_string(RECORDS)
            + "!\nActual datacounter: " + std::to_string(size) + "\nReverting to generating water datablock!\n";
    } else {
        WaterDatablock::Cell* values = block.values();
        for (int i = 0; i < RECORDS; ++i)
            values[i].store(signedByte(bytes[i]), std::memory_order_relaxed);
        return true;
    }
    block.clear();
    return false;
}

void DatablockFile::save(const WaterDatablock& block)
{
    writeReplacing(block.filename(), encode(block));
}

bool DatablockFile::load(WaterDatablock& block)
{
    std::string bytes;
    std::string problem;
    if (!readStart(block.filename(), bytes, RECORDS))
        return false;
    if (!decode(bytes, block, problem)) {
        reportDamaged(block.filename(), problem);
        return false;
    }
    return true;
}

void DatablockFile::reportDamaged(const std::string& file, const std::string& problem)
{
    // A block that is not edited keeps its damaged file and is read again each
    // time it comes back into the cache: once per file and run is enough.
    static std::mutex mutex;
    static std::set<std::string> reported;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!reported.insert(file).second)
            return;
    }
    // The block is generated anew and may be saved over the file later; the
    // user's bytes stay beside it.
    const std::string target = resourcePath(file);
    std::error_code error;
    std::filesystem::copy_file(target, target + ".bad", std::filesystem::copy_options::skip_existing, error);
    std::cout << problem << "The damaged file is kept as " << file << ".bad\n";
}

void DatablockFile::writeReplacing(const std::string& file, const std::string& bytes)
{
    const std::string target = resourcePath(file);
    const std::string temporary = target + ".tmp";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.close();
            written = !out.fail();
        }
    }
    if (written && std::rename(temporary.c_str(), target.c_str()) == 0)
        return;
    std::remove(temporary.c_str());
    std::cout << "FATAL EXCEPTION: datablock::saveToFile(): \nCould not open file for writing: " << file
              << "\n";
    throw "FATAL EXCEPTION";
}

bool DatablockFile::readStart(const std::string& file, std::string& bytes, std::size_t limit)
{
    std::ifstream in(resourcePath(file), std::ios::binary);
    if (!in)
        return false;
    bytes.resize(limit);
    in.read(&bytes[0], static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}
