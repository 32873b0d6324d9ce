#pragma once

#include "OutputFolder.h"
#include "ResourceJob.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// Runs generator jobs into a fresh temporary folder, keeps the list of files
// they declare and removes the folder again.
class GeneratedFolder
{
public:
    explicit GeneratedFolder(const std::vector<ResourceJob>& jobs)
        : root(std::filesystem::temp_directory_path()
            / ("glebe-resources-" + std::to_string(::getpid()) + "-" + std::to_string(count++)))
    {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        for (const ResourceJob& job : jobs) {
            job.run(OutputFolder(root));
            declared.insert(declared.end(), job.outputs.begin(), job.outputs.end());
        }
        std::sort(declared.begin(), declared.end());
    }
    ~GeneratedFolder() { std::filesystem::remove_all(root); }

    std::string path(const std::string& relative) const { return (root / relative).string(); }
    std::vector<std::string> written() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path().lexically_relative(root).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }
    sf::Image image(const std::string& file) const
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(path(file))) << file;
        return image;
    }

    std::vector<std::string> declared;

private:
    static inline int count = 0;
    std::filesystem::path root;
};

inline double difference(const sf::Color& a, const sf::Color& b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) + std::abs(a.a - b.a);
}

// How much harder the wrap-around seams are than the image's ordinary steps
// from one column (or row) to the next: the seam's mean difference over the
// 95th percentile of the inner ones, the larger of the two directions. At
// most about 1 for a tileable image; clearly above 1 when the edges of a
// smooth image do not meet.
inline double seamRatio(const sf::Image& image)
{
    const int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
    const auto ratio = [&](int lines, int length, auto pixel) {
        std::vector<double> steps;
        for (int line = 0; line < lines; ++line) {
            double total = 0.0;
            for (int i = 0; i < length; ++i)
                total += difference(pixel(line, i), pixel((line + 1) % lines, i));
            steps.push_back(total / length);
        }
        const double seam = steps.back();
        steps.pop_back();
        std::sort(steps.begin(), steps.end());
        return seam / std::max(steps[steps.size() * 95 / 100], 1e-9);
    };
    return std::max(ratio(w, h, [&](int x, int y) { return image.getPixel(x, y); }),
        ratio(h, w, [&](int y, int x) { return image.getPixel(x, y); }));
}

// The top left corner: a part of a tileable image whose edges do not meet.
inline sf::Image corner(const sf::Image& image)
{
    sf::Image part;
    part.create(300, 300);
    part.copy(image, 0, 0, sf::IntRect(0, 0, 300, 300));
    return part;
}

// Decodes a generated sound the way the game's buffers and music do, but
// without opening an audio device, so the checks run on headless machines.
struct DecodedSound
{
    unsigned channels = 0, sampleRate = 0;
    std::vector<sf::Int16> samples; // interleaved

    explicit DecodedSound(const std::string& path)
    {
        sf::InputSoundFile file;
        EXPECT_TRUE(file.openFromFile(path)) << path;
        channels = file.getChannelCount();
        sampleRate = file.getSampleRate();
        samples.resize(file.getSampleCount());
        samples.resize(file.read(samples.data(), samples.size()));
    }

    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
    double seconds() const { return sampleRate ? static_cast<double>(frames()) / sampleRate : 0; }
    double at(std::size_t frame, unsigned channel = 0) const
    {
        return samples[frame * channels + channel] / 32768.0;
    }
    // Root mean square of one channel over [from, to) seconds.
    double rms(double from, double to, unsigned channel = 0) const
    {
        const auto first = static_cast<std::size_t>(from * sampleRate),
                   last = static_cast<std::size_t>(to * sampleRate);
        double sum = 0;
        for (std::size_t i = first; i < last; ++i)
            sum += at(i, channel) * at(i, channel);
        return std::sqrt(sum / std::max<std::size_t>(1, last - first));
    }
    int peak() const
    {
        int loudest = 0;
        for (sf::Int16 s : samples)
            loudest = std::max(loudest, std::abs(static_cast<int>(s)));
        return loudest;
    }
    // The jump from the last frame to the first, against the average step
    // between neighbouring frames: near 1 for a seamless loop.
    double seamRatio(unsigned channel = 0) const
    {
        double steps = 0;
        for (std::size_t i = 1; i < frames(); ++i)
            steps += std::fabs(at(i, channel) - at(i - 1, channel));
        return std::fabs(at(0, channel) - at(frames() - 1, channel)) / (steps / (frames() - 1));
    }
};
