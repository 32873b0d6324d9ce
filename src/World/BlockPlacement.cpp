#include "World/BlockPlacement.h"

void BlockPlacement::saveIfModified()
{
    // Cleared before writing, so a change made while the file is written marks the block again.
    if (!modified.exchange(false))
        return;
    try {
        saveToFile();
    } catch (...) {
        modified = true;
        throw;
    }
}

void BlockPlacement::place(int bx, int by, int bz, const std::string& filename)
{
    blockX = bx;
    blockY = by;
    blockZ = bz;
    file = filename;
}
