#include "World/WorldFolder.h"

#include "Game/ResourcePath.h"
#include "Game/TypedConfig.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

WorldFolder::WorldFolder(const std::string& terrainRoot, const std::string& worldName)
    : folder(resourcePath(terrainRoot + worldName + "\\"))
{
}

int WorldFolder::folderIndex(int bx, int by)
{
    // In 64 bits, so that |bx + by| cannot overflow.
    return static_cast<int>(std::llabs(static_cast<long long>(bx) + by) % DATA_FOLDERS);
}

std::string WorldFolder::blockFile(int bx, int by, int bz) const
{
    return folder + "data/" + std::to_string(folderIndex(bx, by)) + "/" + std::to_string(bx) + "."
        + std::to_string(by) + "." + std::to_string(bz);
}

bool WorldFolder::readWorldFile(WorldSettings& settings) const
{
    const TypedConfig file(worldFilePath());
    if (file.empty())
        return false;
    decode(file, settings);
    return true;
}

bool WorldFolder::writeWorldFile(const WorldSettings& settings) const
{
    // Loaded first so that entries this program does not know survive the rewrite.
    TypedConfig file(worldFilePath());
    encode(settings, file);
    return file.save(worldFilePath());
}

void WorldFolder::decode(const TypedConfig& file, WorldSettings& settings)
{
    settings.seed1 = file.getInt("seed1", 0);
    settings.seed2 = file.getInt("seed2", 0);
    settings.user
        = { file.getDouble("user x", 0.0), file.getDouble("user y", 0.0), file.getDouble("user z", 0.0) };
    settings.userStored
        = file.doubles.count("user x") && file.doubles.count("user y") && file.doubles.count("user z");
    settings.sunAngle = file.getDouble("sun angle", 0.0);
    settings.dayLength = file.getDouble("day length", 0.0);
}

void WorldFolder::encode(const WorldSettings& settings, TypedConfig& file)
{
    file.setInt("seed1", settings.seed1);
    file.setInt("seed2", settings.seed2);
    file.setDouble("user x", settings.user.x);
    file.setDouble("user y", settings.user.y);
    file.setDouble("user z", settings.user.z);
    file.setDouble("sun angle", settings.sunAngle);
    file.setDouble("day length", settings.dayLength);
}

void WorldFolder::createFolders() const
{
    for (int index = 0; index < DATA_FOLDERS; ++index) {
        const std::string data = folder + "data/" + std::to_string(index);
        std::error_code error;
        std::filesystem::create_directories(data, error);
        if (error)
            std::cout << "Could not create the folder " << data << ": " << error.message() << "\n";
    }
}
