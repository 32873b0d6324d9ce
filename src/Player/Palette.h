#pragma once

// The colours the inspection tools show materials in. Pure, any thread.
struct Colour
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

    bool operator==(const Colour& other) const { return r == other.r && g == other.g && b == other.b; }
};

class Palette
{
public:
    // Material 0 (not generated) is black; materials without a colour of
    // their own are pink.
    static Colour colourOf(int material);
};
