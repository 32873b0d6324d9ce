#pragma once

#include "World/VoxelPosition.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_set>
#include <vector>

class TerrainDataManager;
class Voxel;
class datablock;

// Undo and redo of tool strokes. A stroke is everything the terrain voxel
// handles write between beginStroke() and endStroke() (one press and hold of
// the left button); it keeps the first old density and material of each
// voxel it touched. Undo and redo write through the same handles, so the
// renderer, the water flow and the block files follow as for any edit.
// The history keeps at most maxStrokes strokes and about maxBytes of records,
// dropping the oldest (the newest stays even when it alone is larger).
//
// Owned by the data manager. Main thread only: the only handle writes are the
// tools', and a stroke is open only while a tool is held.
class EditHistory
{
public:
    // What one undo or redo step did.
    struct Step
    {
        int stroke;
        std::size_t voxels;
    };

    explicit EditHistory(TerrainDataManager& manager);
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    void beginStroke();
    // Keeps the stroke when it changed anything and then clears the redo list.
    void endStroke();
    bool recording() const { return open; }

    // Up to n strokes, newest first, each written back whole. A stroke still
    // being recorded is closed first and a new one opened after.
    std::vector<Step> undo(int n = 1);
    std::vector<Step> redo(int n = 1);
    std::size_t undoSize() const { return done.size(); }
    std::size_t redoSize() const { return undone.size(); }
    // Of the records of both lists.
    std::size_t bytes() const;

    std::size_t maxStrokes = 64;
    std::size_t maxBytes = std::size_t { 32 } << 20;

private:
    friend class Vox;

    struct Record
    {
        VoxelPosition position;
        std::int8_t density;
        std::uint8_t material;
        // What redo writes: the voxel as the undo found it.
        std::int8_t laterDensity;
        std::uint8_t laterMaterial;
    };
    struct Stroke
    {
        int number;
        std::vector<Record> records;
    };

    // Called by a handle before it writes the voxel in the block.
    void record(datablock& block, const VoxelPosition& position, const Voxel& voxel);
    // Writes one side of every record; `later` picks the redo side, and the
    // side not written takes the voxels' present values.
    void write(Stroke& stroke, bool later);
    std::vector<Step> move(int n, std::deque<Stroke>& from, std::deque<Stroke>& to, bool later);
    void trim();

    TerrainDataManager& manager;
    bool open = false;
    Stroke current { 0, {} };
    std::unordered_set<VoxelPosition> recorded;
    // Blocks of the open stroke, generated whole before their first write.
    std::unordered_set<VoxelPosition> blocks;
    int strokesKept = 0;
    std::deque<Stroke> done;
    std::deque<Stroke> undone;
};
