#pragma once

#include <SFML/Audio/InputSoundFile.hpp>
#include <cmath>
#include <string>
#include <vector>

// Decodes a generated sound the way the game's buffers and music do, but
// without opening an audio device, so the checks run on headless machines.
struct DecodedSound
{
    unsigned channels = 0, sampleRate = 0;
    std::vector<sf::Int16> samples; // interleaved

    explicit DecodedSound(const std::string& path)
    {
        sf::InputSoundFile file;
        if (!file.openFromFile(path))
            return;
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
