#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

// Which layer of the terrain's diffuse, normal and detail texture arrays
// each material draws with. Paths are relative to the texture directory.
//
// Threads: layerFor() is called by mesh building on the terrain update thread
// and on the main thread at once, and may add an entry, so `mutex` guards
// every field.
class TerrainTextureRegistry
{
public:
    static TerrainTextureRegistry& getInstance();

    // Adds the terrain's eleven layers, once; later calls change nothing.
    void addTerrainLayers();
    // Appends one layer; the detail map follows from the material.
    void add(int material, const std::string& diffuse, const std::string& normal);

    std::vector<std::string> diffuseList() const;
    std::vector<std::string> normalList() const;
    std::vector<std::string> detailList() const;
    // Unknown materials are entered with layer 0, the grid texture.
    int layerFor(int material);

private:
    TerrainTextureRegistry() = default;
    void addLocked(int material, const std::string& diffuse, const std::string& normal);

    mutable std::mutex mutex;
    std::vector<std::string> diffuseMaps;
    std::vector<std::string> normalMaps;
    std::vector<std::string> detailMaps;
    std::map<int, int> layerOfMaterial;
    const std::string prefix = "terrain/";
};
