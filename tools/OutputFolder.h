#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace sf {
class Image;
}
class SampleBuffer;

// The folder the generator writes into. Every file is written beside its
// target under a unique temporary name and renamed over it, so the game or
// a second build reading the folder never sees half a file. Failures throw
// std::runtime_error and leave no temporary file behind. Thread-safe.
class OutputFolder
{
public:
    explicit OutputFolder(std::filesystem::path root);

    // The format follows the extension (png, jpg, tga, bmp).
    void saveImage(const std::string& relative, const sf::Image& image) const;
    // The format follows the extension (wav, ogg).
    void saveSound(const std::string& relative, const SampleBuffer& samples) const;
    void saveText(const std::string& relative, const std::string& text) const;

private:
    // Runs `writer` on a temporary path with the target's extension, since
    // the image and sound writers choose the format by it, then renames it.
    void write(
        const std::string& relative, const std::function<bool(const std::string& temporary)>& writer) const;

    std::filesystem::path root;
};
