#include "SampleBuffer.h"

#include <algorithm>
#include <cmath>

SampleBuffer::SampleBuffer(unsigned channels, unsigned sampleRate, std::size_t frames)
    : channelCount(channels)
    , rate(sampleRate)
    , data(frames * channels, 0.0f)
{
}

void SampleBuffer::add(std::size_t frame, unsigned channel, float value)
{
    data[(frame % frames()) * channelCount + channel] += value;
}

float SampleBuffer::at(std::size_t frame, unsigned channel) const
{
    return data[(frame % frames()) * channelCount + channel];
}

void SampleBuffer::normalize(float peak)
{
    float loudest = 0.0f;
    for (float sample : data)
        loudest = std::max(loudest, std::fabs(sample));
    if (loudest <= 0.0f)
        return;
    const float gain = peak / loudest;
    for (float& sample : data)
        sample *= gain;
}

std::vector<sf::Int16> SampleBuffer::toPcm() const
{
    std::vector<sf::Int16> pcm(data.size());
    std::transform(data.begin(), data.end(), pcm.begin(), [](float sample) {
        return static_cast<sf::Int16>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
    });
    return pcm;
}
