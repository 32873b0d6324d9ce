#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

// One terrain voxel in two bytes: a signed density (ground above 0, air below,
// the surface at 0) and a material number for the mesher.
//
// Threads: every thread that holds a voxel (handles, meshing, water, the
// generator) reads and writes its bytes without a lock, one byte per access;
// the bytes are atomic so those accesses are well defined. The generator
// stores the material last, with release order, and isGenerated() reads it
// with acquire order, so a thread that sees a material also sees the density
// generated with it.
class Voxel
{
public:
    static constexpr int UNCOMPUTED_DENSITY = -128;
    static constexpr int FULLY_SOLID = 127;
    static constexpr int FULLY_AIR = -127;
    static constexpr int UNGENERATED_MATERIAL = 0;
    static constexpr int AIR_MATERIAL = 10;

    int density() const { return densityByte.load(std::memory_order_relaxed); }
    // Clamped to -128..127.
    void setDensity(int value)
    {
        densityByte.store(static_cast<std::int8_t>(std::clamp(value, -128, 127)), std::memory_order_relaxed);
    }

    int material() const { return materialByte.load(std::memory_order_acquire); }
    // Keeps the low 8 bits, as a byte-sized material number always has.
    void setMaterial(int value)
    {
        materialByte.store(static_cast<std::uint8_t>(value), std::memory_order_release);
    }

    bool isGenerated() const { return material() != UNGENERATED_MATERIAL; }
    void reset()
    {
        setMaterial(UNGENERATED_MATERIAL);
        setDensity(UNCOMPUTED_DENSITY);
    }

private:
    std::atomic<std::int8_t> densityByte { UNCOMPUTED_DENSITY };
    std::atomic<std::uint8_t> materialByte { UNGENERATED_MATERIAL };
};

static_assert(sizeof(Voxel) == 2, "block files and the block cache rely on two-byte voxels");
