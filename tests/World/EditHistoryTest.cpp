#include "ManagerFixture.h"

#include <set>
#include <utility>
#include <vector>

namespace {

using Values = std::vector<std::pair<int, int>>;
using Steps = std::vector<std::pair<int, std::size_t>>;

Steps steps(const std::vector<EditHistory::Step>& done)
{
    Steps result;
    for (const EditHistory::Step& step : done)
        result.emplace_back(step.stroke, step.voxels);
    return result;
}

// Every voxel of every block the box touches, read through handles.
Values readBlocks(TerrainDataManager& manager, const VoxelPosition& from, const VoxelPosition& to)
{
    Values values;
    const auto first = [](int v) { return datablock::blockCoordinate(v) * BlockPlacement::SIZE; };
    const auto last = [](int v) { return (datablock::blockCoordinate(v) + 1) * BlockPlacement::SIZE; };
    for (int x = first(from.x); x < last(to.x); ++x)
        for (int y = first(from.y); y < last(to.y); ++y)
            for (int z = first(from.z); z < last(to.z); ++z) {
                Vox voxel(manager, x, y, z);
                values.emplace_back(voxel.density(), voxel.material());
            }
    return values;
}

// Digs the box and paints it, then empties every other voxel of it again:
// the stroke keeps each voxel's first old value.
std::size_t stroke(TerrainDataManager& manager, const VoxelPosition& from, const VoxelPosition& to)
{
    EditHistory& history = manager.editHistory();
    history.beginStroke();
    std::size_t count = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int x = from.x; x <= to.x; ++x)
            for (int y = from.y; y <= to.y; ++y)
                for (int z = from.z; z <= to.z; ++z) {
                    Vox voxel(manager, x, y, z);
                    if (pass == 0) {
                        voxel.density(voxel.density() - 90);
                        voxel.material(7);
                        ++count;
                    } else if ((x + y + z) % 2 == 0) {
                        voxel.density(Voxel::FULLY_AIR);
                    }
                }
    history.endStroke();
    return count;
}

} // namespace

using EditHistoryTest = ManagerFixture;

TEST_F(EditHistoryTest, UndoRestoresTheGeneratedWorldAndRedoTheStroke)
{
    struct Case
    {
        const char* name;
        VoxelPosition from, to;
        bool generatedBefore;
        // Blocks far away, read between the stroke and the undo to push the
        // stroke's blocks out of a small cache and back from their files.
        bool reuseBetween;
    };
    const Case cases[] = {
        { "one block", { 495, 5, 5 }, { 497, 7, 7 }, true, false },
        { "across blocks", { 498, 18, -1 }, { 501, 21, 1 }, true, false },
        { "blocks reused", { 498, 18, -1 }, { 501, 21, 1 }, true, true },
        { "never generated", { 498, 18, -1 }, { 501, 21, 1 }, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Values pristine
            = readBlocks(*open(1000, false, std::string("Pristine") + c.name), c.from, c.to);
        auto manager = open(c.reuseBetween ? 2 : 1000, false, c.name);
        if (c.generatedBefore)
            readBlocks(*manager, c.from, c.to);
        const std::size_t count = stroke(*manager, c.from, c.to);
        const Values dug = readBlocks(*manager, c.from, c.to);
        ASSERT_NE(pristine, dug);
        const auto reuse = [&] {
            if (c.reuseBetween)
                for (int bx = 40; bx < 44; ++bx)
                    manager->getNode(bx, 0, 0);
        };
        reuse();
        EditHistory& history = manager->editHistory();
        EXPECT_EQ(Steps({ { 1, count } }), steps(history.undo()));
        reuse();
        EXPECT_EQ(pristine, readBlocks(*manager, c.from, c.to));
        EXPECT_EQ(Steps({ { 1, count } }), steps(history.redo(3)));
        reuse();
        EXPECT_EQ(dug, readBlocks(*manager, c.from, c.to));
    }
}

TEST_F(EditHistoryTest, HistoryDropsTheOldestAndANewStrokeClearsTheRedoList)
{
    auto manager = open();
    EditHistory& history = manager->editHistory();
    // One voxel per stroke in the sky, where every voxel starts as air.
    const auto paint = [&](int x, int material) {
        history.beginStroke();
        Vox(*manager, x, 0, 0).material(material);
        history.endStroke();
    };
    const auto materials = [&] {
        std::vector<int> found;
        for (int x = 800; x < 806; ++x)
            found.push_back(Vox(*manager, x, 0, 0).material());
        return found;
    };
    history.maxStrokes = 3;
    for (int x = 800; x < 805; ++x)
        paint(x, 1);
    // A press that changed nothing is no stroke.
    history.beginStroke();
    history.endStroke();
    EXPECT_EQ(Steps({ { 5, 1 }, { 4, 1 }, { 3, 1 } }), steps(history.undo(9)));
    EXPECT_EQ(std::vector<int>({ 1, 1, 10, 10, 10, 10 }), materials());
    EXPECT_EQ(Steps({ { 3, 1 } }), steps(history.redo()));
    // Undone while the button is still held: the open stroke is closed first,
    // and what follows in the same hold is a stroke of its own.
    history.beginStroke();
    Vox(*manager, 805, 0, 0).material(2);
    EXPECT_EQ(Steps({ { 6, 1 } }), steps(history.undo()));
    EXPECT_EQ(1u, history.redoSize());
    Vox(*manager, 805, 0, 0).material(3);
    history.endStroke();
    EXPECT_EQ(0u, history.redoSize());
    EXPECT_EQ(std::vector<int>({ 1, 1, 1, 10, 10, 3 }), materials());
    // The byte bound: two one-voxel strokes fit; a larger newest stroke stays alone.
    const std::size_t perVoxel = history.bytes() / history.undoSize();
    history.maxBytes = 2 * perVoxel;
    paint(800, 4);
    EXPECT_EQ(2u, history.undoSize());
    history.beginStroke();
    for (int x = 800; x < 803; ++x)
        Vox(*manager, x, 0, 0).material(5);
    history.endStroke();
    EXPECT_EQ(1u, history.undoSize());
    EXPECT_EQ(3 * perVoxel, history.bytes());
}
