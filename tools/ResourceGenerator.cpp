#include "ResourceGenerator.h"

#include "AmbientMusic.h"
#include "DwarfModel.h"
#include "EffectTextures.h"
#include "ForgeModel.h"
#include "SoundEffects.h"
#include "TerrainTextures.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

ResourceGenerator::ResourceGenerator()
    // The longest jobs come first so the others fill in around them.
    : all { ambientMusicJob(), dwarfModelJob(), forgeModelJob() }
{
    for (auto&& group : { terrainTextureJobs(), effectTextureJobs(), soundEffectJobs() })
        all.insert(all.end(), group.begin(), group.end());
}

std::vector<std::string> ResourceGenerator::outputs() const
{
    std::vector<std::string> files;
    for (const ResourceJob& job : all)
        files.insert(files.end(), job.outputs.begin(), job.outputs.end());
    std::sort(files.begin(), files.end());
    return files;
}

void ResourceGenerator::run(const OutputFolder& out) const
{
    std::atomic<std::size_t> next { 0 };
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto worker = [&] {
        for (std::size_t i = next++; i < all.size(); i = next++) {
            try {
                all[i].run(out);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                failure = std::current_exception();
                next = all.size();
            }
        }
    };
    std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread& thread : threads)
        thread = std::thread(worker);
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}
