#include "Graphics/TerrainTextureRegistry.h"

TerrainTextureRegistry& TerrainTextureRegistry::getInstance()
{
    static TerrainTextureRegistry instance;
    return instance;
}

void TerrainTextureRegistry::addTerrainLayers()
{
    struct Layer
    {
        int material;
        const char* diffuse;
        const char* normal;
    };
    static const Layer layers[] = {
        { 0, "grid.jpg", "grid.jpg" },
        { 10, "grid.jpg", "grid.jpg" },
        { 2, "sedimentary/soil_diffuse.jpg", "sedimentary/soil_normal.jpg" },
        { 1, "grass.jpg", "grass_bump.jpg" },
        { 8, "grass_dry.jpg", "grass_dry_bump.jpg" },
        { 5, "sedimentary/soil_diffuse.jpg", "sedimentary/soil_normal.jpg" },
        { 3, "rock/rock1_diffuse.jpg", "rock/rock2_normal.jpg" },
        { 14, "rock/slate_diffuse.jpg", "rock/slate_normal.jpg" },
        { 4, "sand.jpg", "sand_bump.jpg" },
        { 6, "ice.jpg", "ice_bump.jpg" },
        { 7, "snow.jpg", "snow_bump.jpg" },
    };
    std::lock_guard<std::mutex> lock(mutex);
    if (!diffuseMaps.empty())
        return;
    for (const Layer& layer : layers)
        addLocked(layer.material, layer.diffuse, layer.normal);
}

void TerrainTextureRegistry::add(int material, const std::string& diffuse, const std::string& normal)
{
    std::lock_guard<std::mutex> lock(mutex);
    addLocked(material, diffuse, normal);
}

void TerrainTextureRegistry::addLocked(int material, const std::string& diffuse, const std::string& normal)
{
    diffuseMaps.push_back(prefix + diffuse);
    normalMaps.push_back(prefix + normal);
    const char* detail = "detail/experiment2.tga";
    if (material == 1 || material == 8)
        detail = "detail/grass.tga";
    else if (material == 3 || material == 14)
        detail = "detail/rock_with_detail.tga";
    detailMaps.push_back(prefix + detail);
    layerOfMaterial[material] = static_cast<int>(diffuseMaps.size()) - 1;
}

std::vector<std::string> TerrainTextureRegistry::diffuseList() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return diffuseMaps;
}

std::vector<std::string> TerrainTextureRegistry::normalList() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return normalMaps;
}

std::vector<std::string> TerrainTextureRegistry::detailList() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return detailMaps;
}

int TerrainTextureRegistry::layerFor(int material)
{
    std::lock_guard<std::mutex> lock(mutex);
    return layerOfMaterial.emplace(material, 0).first->second;
}
