#pragma once

#include "Graphics/Vector3.h"
#include "World/ClimateZone.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <libnoise/module/perlin.h>
#include <libnoise/module/ridgedmulti.h>
#include <memory>
#include <mutex>
#include <vector>

class Planet;
class datablock;

// The terrain generator. Noise modules and climate zones give every point of
// the planet a density; each voxel is generated once, on its first read, and
// gets a material from its zone by whether it faces up, is steep or is buried.
//
// Generation stores exactly what evaluating zoneFor and densityAt voxel by
// voxel would store; it is only quicker about it. The overlay noise, which
// depends on the position alone, is kept per position for the last few blocks,
// so a voxel whose density its neighbour's classification computed does not
// evaluate it again for its zone. The density terms stop once the terms left
// cannot bring the sum back inside -1..1, and heights beyond which no noise
// can lift the ground or sink the air skip the zone and the noise altogether.
// Where the overlay cannot reach an overlay zone within a step, a voxel's
// neighbours take the latitude zones' parameters without their own overlay
// value. The bounds come from the modules' output ranges and slopes.
//
// Threads: voxels are generated on whichever thread first reads them (main
// thread, terrain update thread, data manager thread). generateVoxel holds
// `generationLock`, the one lock for all generation, for its whole work, so
// voxels are generated one at a time; the overlay cache and the count of
// voxels generated are guarded by it. It never fetches another block, so it is
// never taken while the data manager's mutex is held. The modules and zones
// never change after construction: climateValue, overlayValue, zoneFor and
// densityAt run on any thread without the lock (blocks evaluate their corner
// climate under the data manager's mutex).
class DatablockAnalyzer
{
public:
    struct NoiseSeeds
    {
        int ridged;
        int hills;
        int bumps;
        int roughness;
        int climate;
        int overlay;
        int zoneMaterial;
    };

    // Throws a fatal error when seed2 is 0 (the seeds divide by it) or when
    // no planet exists yet. Becomes the instance that getInstance() returns.
    DatablockAnalyzer(int seed1, int seed2);
    ~DatablockAnalyzer();
    DatablockAnalyzer(const DatablockAnalyzer&) = delete;
    DatablockAnalyzer& operator=(const DatablockAnalyzer&) = delete;

    // Null when no analyzer exists.
    static DatablockAnalyzer* getInstance();
    // Divisions truncate toward zero; sums wrap around instead of overflowing.
    static NoiseSeeds noiseSeeds(int seed1, int seed2);

    // 0 at the equator to 1 at the poles, the zone boundaries shifted by noise.
    double climateValue(double x, double y, double z) const;
    // 0..1 from the overlay noise at the surface point above (x, y, z).
    double overlayValue(double x, double y, double z) const;
    // The zone whose materials a voxel takes; when params is not null, also
    // the generation parameters blended across zone boundaries.
    const ClimateZone& zoneFor(ClimateParams* params, double climate, double x, double y, double z) const;
    // zoneFor for a given overlay value.
    const ClimateZone& zoneForValues(ClimateParams* params, double climate, double overlay) const;
    // Signed distance to the surface saturated to -1..1, positive in ground.
    double densityAt(double x, double y, double z, const ClimateParams& params) const;

    // What a voxel's generation evaluates, for measuring it against its noise:
    // the module of density term i (in parameter order: ridged, hills, bumps,
    // roughness), whether a weight is large enough for its term to be
    // evaluated, and the overlay module with the surface point it is read at.
    const noise::module::Module& termNoise(std::size_t term) const;
    static bool termCounts(double weight);
    const noise::module::Module& overlayModule() const { return overlayNoise; }
    Vector3 overlayPoint(double x, double y, double z) const;

    // Gives the block's voxel at the local index a density (unless it has one)
    // and a material (unless it has one). climate is the block's value there.
    void generateVoxel(datablock& block, int lx, int ly, int lz, double climate);
    // Classifies a voxel from its six face neighbours inside the block,
    // computing and keeping the densities of neighbours that have none. The
    // caller holds the generation lock or knows that no other thread generates.
    VoxelKind AnalyzeVoxel(datablock& block, int lx, int ly, int lz, double climate);
    // What a voxel holds after its first read when the block holding it is
    // generated afresh and the voxel is read before any of its face
    // neighbours there (a neighbour read first would have stored the
    // voxel's density computed with the neighbour's climate): generateVoxel's
    // density and, when asked, its material (else UNGENERATED_MATERIAL, or
    // AIR_MATERIAL for air), without a block. climate is the block's value at
    // the voxel, asked for only when needed. Any thread, without the lock.
    struct FirstRead
    {
        int density;
        int material;
    };
    FirstRead firstRead(int x, int y, int z, const std::function<double()>& climate, bool withMaterial) const;
    // Generated voxels are counted in the statistic "voxels generated" a block
    // at a time: when generation moves to another block and when this is
    // called (the data manager's thread does on every pass).
    void publishStatistics();
    // Heights over the radius above which the generator makes only air and
    // below which only ground.
    double airAbove() const { return airHeight; }
    double groundBelow() const { return solidHeight; }

private:
    struct ZoneRange
    {
        std::unique_ptr<ClimateZone> zone;
        double lo;
        double hi;
    };

    // The overlay values of one block's positions, each computed on first use.
    struct OverlaySlot
    {
        int bx = 0, by = 0, bz = 0;
        std::uint32_t epoch = 0;
        // A value is known when its stamp equals the epoch; a new block takes a new epoch.
        std::array<std::uint32_t, 8000> stamps {};
        std::array<double, 8000> values;
    };

    double overlayAt(const datablock& block, int lx, int ly, int lz);
    // densityAt for a voxel of the block with the given climate. Sets *zone to
    // the zone when it had to be found for the parameters; leaves it alone
    // where the height alone decides the density. A stand-in overlay value
    // may be given when the voxel's own is known to lie in no overlay zone,
    // as the stand-in does: the parameters are then the latitude zones' alone.
    double densityOf(const datablock& block, int lx, int ly, int lz, double climate, const ClimateZone** zone,
        const double* standInOverlay = nullptr);
    // Whether every point within distance 1 of the voxel has its overlay value
    // outside every overlay zone, judged from the voxel's own value.
    bool overlayFreeAround(int x, int y, int z, double overlay) const;
    // densityOf at a world voxel; overlay() gives the overlay value, asked
    // only where the height leaves the density to the noise.
    // climateOf(climate) gives the climate, likewise; by default `climate`.
    template <typename Overlay, typename Climate = double (*)(double)>
    double densityAtVoxel(
        int x, int y, int z, double climate, const ClimateZone** zone, Overlay overlay,
        Climate climateOf = [](double given) { return given; }) const;
    // The classification of AnalyzeVoxel for the voxel at world (x, y, z),
    // local (lx, ly, lz), of density `own`; neighbour(x, y, z, lx, ly, lz)
    // gives the density of a face neighbour inside the block.
    template <typename Neighbour>
    VoxelKind classify(int x, int y, int z, int lx, int ly, int lz, double own, Neighbour neighbour) const;
    double densityAtHeight(double x, double y, double z, double h, const ClimateParams& params) const;
    static int toVoxelDensity(double density);
    void publishStatisticsLocked();

    static std::atomic<DatablockAnalyzer*> instance;

    const Planet& planet;
    noise::module::RidgedMulti ridged;
    noise::module::Perlin hills;
    noise::module::Perlin bumps;
    noise::module::Perlin roughness;
    noise::module::Perlin climateNoise;
    std::vector<ZoneRange> latitudeZones;
    noise::module::Perlin overlayNoise;
    std::vector<ZoneRange> overlayZones;
    // How far each density term's noise reaches from 0, in parameter order.
    std::array<double, 4> termBounds;
    // Above airHeight every density is -1 and below solidHeight it is 1, whatever the noise.
    double airHeight;
    double solidHeight;
    std::mutex generationLock;
    std::unique_ptr<std::array<OverlaySlot, 8>> overlaySlots;
    const datablock* lastBlock = nullptr;
    long pendingGenerated = 0;
};
