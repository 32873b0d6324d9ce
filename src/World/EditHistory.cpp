#include "World/EditHistory.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"
#include "World/Voxel.h"
#include "World/datablock.h"

EditHistory::EditHistory(TerrainDataManager& manager)
    : manager(manager)
{
}

void EditHistory::beginStroke()
{
    open = true;
}

void EditHistory::endStroke()
{
    if (!open)
        return;
    open = false;
    recorded.clear();
    blocks.clear();
    if (current.records.empty())
        return;
    current.number = ++strokesKept;
    undone.clear();
    done.push_back(std::move(current));
    current = Stroke { 0, {} };
    trim();
}

std::vector<EditHistory::Step> EditHistory::undo(int n)
{
    return move(n, done, undone, false);
}

std::vector<EditHistory::Step> EditHistory::redo(int n)
{
    return move(n, undone, done, true);
}

std::size_t EditHistory::bytes() const
{
    std::size_t total = 0;
    for (const auto* list : { &done, &undone })
        for (const Stroke& stroke : *list)
            total += stroke.records.size() * sizeof(Record);
    return total;
}

void EditHistory::record(datablock& block, const VoxelPosition& position, const Voxel& voxel)
{
    if (!open || !recorded.insert(position).second)
        return;
    // A voxel's material depends on its neighbours' densities in the block
    // when it is generated. Generated after the stroke dug beside it, it would
    // keep a material the undo knows nothing of; so the whole block is
    // generated while it is still as it was.
    if (blocks.insert({ block.bx(), block.by(), block.bz() }).second)
        for (int x = block.minX(); x <= block.maxX(); ++x)
            for (int y = block.minY(); y <= block.maxY(); ++y)
                for (int z = block.minZ(); z <= block.maxZ(); ++z)
                    block.getVoxel(x, y, z);
    current.records.push_back({ position, static_cast<std::int8_t>(voxel.density()),
        static_cast<std::uint8_t>(voxel.material()), 0, 0 });
}

std::vector<EditHistory::Step> EditHistory::move(
    int n, std::deque<Stroke>& from, std::deque<Stroke>& to, bool later)
{
    const bool wasOpen = open;
    endStroke();
    std::vector<Step> steps;
    for (; n > 0 && !from.empty(); --n) {
        Stroke stroke = std::move(from.back());
        from.pop_back();
        write(stroke, later);
        steps.push_back({ stroke.number, stroke.records.size() });
        to.push_back(std::move(stroke));
    }
    if (wasOpen)
        beginStroke();
    return steps;
}

void EditHistory::write(Stroke& stroke, bool later)
{
    for (Record& r : stroke.records) {
        Vox voxel(manager, r.position.x, r.position.y, r.position.z);
        const auto presentDensity = static_cast<std::int8_t>(voxel.density());
        const auto presentMaterial = static_cast<std::uint8_t>(voxel.material());
        std::int8_t& density = later ? r.laterDensity : r.density;
        std::uint8_t& material = later ? r.laterMaterial : r.material;
        // Only what differs is written: every write queues the voxel, and a
        // queued voxel loses the water standing in it.
        if (density != presentDensity)
            voxel.density(density);
        if (material != presentMaterial)
            voxel.material(material);
        (later ? r.density : r.laterDensity) = presentDensity;
        (later ? r.material : r.laterMaterial) = presentMaterial;
    }
}

void EditHistory::trim()
{
    while (done.size() > 1 && (done.size() > maxStrokes || bytes() > maxBytes))
        done.pop_front();
}
