#include "OutputFolder.h"

#include "SampleBuffer.h"

#include <SFML/Audio/OutputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>
#include <atomic>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

OutputFolder::OutputFolder(fs::path root)
    : root(std::move(root))
{
}

void OutputFolder::write(
    const std::string& relative, const std::function<bool(const std::string&)>& writer) const
{
    static std::atomic<unsigned> counter { 0 };
    const fs::path target = root / relative;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    const fs::path temporary = target.parent_path()
        / (target.stem().string() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)
            + target.extension().string());
    if (!error && writer(temporary.string()))
        fs::rename(temporary, target, error);
    else
        error = std::make_error_code(std::errc::io_error);
    if (error) {
        fs::remove(temporary, error);
        throw std::runtime_error("cannot write " + target.string());
    }
}

void OutputFolder::saveImage(const std::string& relative, const sf::Image& image) const
{
    write(relative, [&](const std::string& path) { return image.saveToFile(path); });
}

void OutputFolder::saveSound(const std::string& relative, const SampleBuffer& samples) const
{
    write(relative, [&](const std::string& path) {
        sf::OutputSoundFile file;
        if (!file.openFromFile(path, samples.sampleRate(), samples.channels()))
            return false;
        const std::vector<sf::Int16> pcm = samples.toPcm();
        file.write(pcm.data(), pcm.size());
        return true;
    });
}

void OutputFolder::saveText(const std::string& relative, const std::string& text) const
{
    write(relative, [&](const std::string& path) {
        std::ofstream out(path, std::ios::binary);
        out << text;
        return static_cast<bool>(out.flush());
    });
}
