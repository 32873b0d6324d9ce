#pragma once

#include "Graphics/Vector3.h"

#include <string>

class TypedConfig;

// What the world file keeps between runs.
struct WorldSettings
{
    int seed1 = 0;
    int seed2 = 0;
    Vector3 user;
    // False when the world file lacks one of the three position keys.
    bool userStored = false;
    double sunAngle = 0.0;
    double dayLength = 0.0;
};

// One world on disk: its folder under the terrain root, the world file
// "map.file" (a typed configuration file with the seeds, the user's position
// and the sun) and the block files spread over the subfolders data/0 ... data/24.
//
// Threads: block file names are built on any thread (the object never changes
// after construction); the world file is read and written on the main thread.
class WorldFolder
{
public:
    static constexpr int DATA_FOLDERS = 25;

    // terrainRoot is the folder that holds the worlds, ending in a separator.
    WorldFolder(const std::string& terrainRoot, const std::string& worldName);

    // Ends with a separator.
    const std::string& path() const { return folder; }
    std::string worldFilePath() const { return folder + "map.file"; }
    // The data subfolder of a block: |bx + by| mod 25.
    static int folderIndex(int bx, int by);
    // The terrain block file; the water file adds ".w".
    std::string blockFile(int bx, int by, int bz) const;

    // False for a new world: the file is missing or holds no entry. Missing
    // keys read as 0.
    bool readWorldFile(WorldSettings& settings) const;
    // Rewrites the seven keys and keeps every entry of another name. False
    // when the file could not be written.
    bool writeWorldFile(const WorldSettings& settings) const;
    // The world's keys in a world file's table, both ways; entries of other
    // names are left as they are.
    static void decode(const TypedConfig& file, WorldSettings& settings);
    static void encode(const WorldSettings& settings, TypedConfig& file);
    // data/ and its 25 subfolders; those that exist are left alone.
    void createFolders() const;

private:
    std::string folder;
};
