#include "Player/Palette.h"

Colour Palette::colourOf(int material)
{
    switch (material) {
    case 0:
        return { 0.0f, 0.0f, 0.0f };
    case 1:
        return { 0.12f, 0.5f, 0.12f };
    case 2:
        return { 0.54f, 0.27f, 0.1f };
    case 3:
        return { 0.21f, 0.21f, 0.21f };
    case 4:
        return { 1.0f, 1.0f, 0.0f };
    case 5:
        return { 0.9f, 0.8f, 0.7f };
    case 7:
        return { 1.0f, 1.0f, 1.0f };
    case 8:
        return { 0.74f, 0.74f, 0.41f };
    case 9:
        return { 0.7f, 0.7f, 0.6f };
    default:
        return { 1.0f, 0.5f, 0.7f };
    }
}
