#pragma once

#include <SFML/Config.hpp>
#include <cstddef>
#include <vector>

// Interleaved floating-point audio that is mixed additively and turned into
// 16-bit PCM at the end. Every generated sound loops in the game, so a
// sample added past the end wraps round to the beginning: a note ringing
// over the loop point continues at the start instead of being cut off.
class SampleBuffer
{
public:
    SampleBuffer(unsigned channels, unsigned sampleRate, std::size_t frames);

    unsigned channels() const { return channelCount; }
    unsigned sampleRate() const { return rate; }
    std::size_t frames() const { return data.size() / channelCount; }

    void add(std::size_t frame, unsigned channel, float value);
    float at(std::size_t frame, unsigned channel) const;

    // Scales the whole buffer so that its loudest sample reaches `peak`
    // (a fraction of full scale).
    void normalize(float peak);
    std::vector<sf::Int16> toPcm() const;

private:
    unsigned channelCount;
    unsigned rate;
    std::vector<float> data;
};
