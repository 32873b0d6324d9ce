#pragma once

#include "Graphics/Vector3.h"

// The light of the hour where the viewer stands: the colours of the sun, the
// moon and the sky's ambient light, and the haze that hides the end of the
// meshed world. The haze takes the sky dome's horizon colour, so the ground
// fades into the sky by day, at sunset and at night alike. Everything
// follows from the sun's height over the viewer's horizon.
// A plain value, computed on the main thread once a frame.
struct Daylight
{
    // up: the viewer's local up direction.
    static Daylight at(const Vector3& sunPosition, const Vector3& eye, const Vector3& up);

    Vector3 sunColour;
    Vector3 moonColour;
    Vector3 ambientColour;
    Vector3 fogColour;
    // The blue fill lamp's faint light from the sky side; `at` leaves it
    // black, as the lamp starts off.
    Vector3 fillColour;
    // The haze starts at fogStart from the eye and is complete at fogEnd,
    // inside the 120 units that the coarse ring reaches at least.
    float fogStart = 35.0f;
    float fogEnd = 115.0f;
};
