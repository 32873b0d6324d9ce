#include "World/DatablockAnalyzer.h"

#include "Graphics/Vector3.h"
#include "Interface/StatsManager.h"
#include "World/Planet.h"
#include "World/datablock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

std::atomic<DatablockAnalyzer*> DatablockAnalyzer::instance { nullptr };

namespace {

// Below this height (relative to the radius) everything is solid rock.
constexpr double DEEP_ROCK_HEIGHT = -200.0;
// A weight must exceed the single-precision 0.0001 for its noise to be evaluated.
const double MIN_WEIGHT = static_cast<double>(0.0001f);
const std::string VOXELS_GENERATED = "voxels generated";
// The bound on one octave of libnoise's gradient noise: 2.12 times the dot
// product of a unit gradient with an offset of at most sqrt(3) / 2 on average
// over the corners' interpolation weights, under 1.84.
constexpr double GRADIENT_NOISE_BOUND = 2.0;
// Heights are compared with the bounds this far inside them, for rounding.
constexpr double BOUND_MARGIN = 1.0;
// A partial density sum must pass -1 or 1 by this much before the terms left are skipped.
constexpr double ROUNDING_MARGIN = 1e-9;

double perlinBound(const noise::module::Perlin& module)
{
    double bound = 0.0;
    double amplitude = 1.0;
    for (int octave = 0; octave < module.GetOctaveCount(); ++octave) {
        bound += amplitude * GRADIENT_NOISE_BOUND;
        amplitude *= module.GetPersistence();
    }
    return bound;
}

// Each ridged octave, (1 - |n|)^2 times a weight of at most 1, lies in 0..1
// while |n| <= 2; the octaves add with weights 1 / frequency, and the sum v
// becomes 1.25 v - 1.
double ridgedBound(const noise::module::RidgedMulti& module)
{
    double sum = 0.0;
    double frequency = 1.0;
    for (int octave = 0; octave < module.GetOctaveCount(); ++octave) {
        sum += 1.0 / frequency;
        frequency *= module.GetLacunarity();
    }
    return std::max(1.0, 1.25 * sum - 1.0);
}

const Planet& requirePlanet()
{
    const Planet* planet = Planet::getInstance();
    if (!planet)
        throw "FATAL ERROR: DatablockAnalyzer built before the planet!";
    return *planet;
}

void setUp(noise::module::Perlin& module, double frequency, int octaves, int seed)
{
    module.SetFrequency(frequency);
    module.SetOctaveCount(octaves);
    module.SetNoiseQuality(noise::QUALITY_FAST);
    module.SetSeed(seed);
}

ClimateParams blend(const ClimateParams& from, const ClimateParams& to, double weight)
{
    ClimateParams result;
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = from[i] * (1.0 - weight) + to[i] * weight;
    return result;
}

// The face neighbours in the order the classification visits them: +x, -x, +y, -y, +z, -z.
constexpr int FACE_OFFSETS[6][3]
    = { { 1, 0, 0 }, { -1, 0, 0 }, { 0, 1, 0 }, { 0, -1, 0 }, { 0, 0, 1 }, { 0, 0, -1 } };

bool isLocalIndex(int l)
{
    return l >= 0 && l < datablock::SIZE;
}

} // namespace

DatablockAnalyzer::DatablockAnalyzer(int seed1, int seed2)
    : planet(requirePlanet())
{
    const NoiseSeeds seeds = noiseSeeds(seed1, seed2);

    ridged.SetFrequency(0.005);
    ridged.SetOctaveCount(2);
    ridged.SetNoiseQuality(noise::QUALITY_FAST);
    ridged.SetSeed(seeds.ridged);
    setUp(hills, 0.02, 1, seeds.hills);
    setUp(bumps, 0.08, 1, seeds.bumps);
    setUp(roughness, 0.16, 2, seeds.roughness);

    auto zone = [&](const ClimateParams& params, ClimateZone::MaterialList top,
                    ClimateZone::MaterialList steep, ClimateZone::MaterialList buried, double lo, double hi) {
        return ZoneRange { std::make_unique<ClimateZone>(seeds.zoneMaterial, params, std::move(top),
                               std::move(steep), std::move(buried)),
            lo, hi };
    };
    latitudeZones.push_back(zone({ 0, 10, 1.3, 0, 0 }, { { 4, 99 } }, { { 3, 1 } }, { { 3, 1 } }, 0.0, 0.05));
    latitudeZones.push_back(
        zone({ 0, 2, 0.4, 0.1, 0 }, { { 8, 40 } }, { { 2, 10 } }, { { 3, 1 } }, 0.1, 0.25));
    latitudeZones.push_back(
        zone({ 10, 20, 0.1, 0.2, 0 }, { { 1, 90 }, { 5, 20 } }, { { 3, 20 } }, { { 5, 1 } }, 0.3, 0.9));
    latitudeZones.push_back(
        zone({ 0, 1, 1.2, 1.4, 0 }, { { 7, 40 } }, { { 6, 10 } }, { { 5, 1 } }, 0.95, 1.0));
    overlayZones.push_back(zone(
        { 0, 10, 1.2, 0.1, -50 }, { { 4, 90 }, { 3, 10 } }, { { 3, 4 } }, { { 3, 10 }, { 5, 1 } }, 0.0, 0.3));
    overlayZones.push_back(zone({ 100, 20, 0.5, 0.9, 0 }, { { 7, 80 }, { 3, 20 } }, { { 3, 4 } },
        { { 3, 10 }, { 5, 1 } }, 0.93, 1.0));

    // One climate band per latitude zone across the planet.
    const double zoneCount = static_cast<double>(latitudeZones.size());
    setUp(climateNoise, zoneCount / planet.radius, 4, seeds.climate);
    setUp(overlayNoise, 1.0 / planet.radius, 2, seeds.overlay);

    // Every parameter set is a weighted mean of the zones' own, all of whose
    // weights are non-negative, so the noise terms and the ground offset reach
    // no further than in some zone.
    termBounds = { ridgedBound(ridged), perlinBound(hills), perlinBound(bumps), perlinBound(roughness) };
    const std::array<double, 4>& bounds = termBounds;
    airHeight = -std::numeric_limits<double>::infinity();
    solidHeight = std::numeric_limits<double>::infinity();
    for (const auto* zones : { &latitudeZones, &overlayZones })
        for (const ZoneRange& range : *zones) {
            const ClimateParams& p = range.zone->params();
            const double up = p[0] * bounds[0] + p[1] * bounds[1] + p[2] * bounds[2] + p[3] * bounds[3];
            const double down = p[1] * bounds[1] + p[2] * bounds[2] + p[3] * bounds[3];
            airHeight = std::max(airHeight, p[4] + up + 1.0 + BOUND_MARGIN);
            solidHeight = std::min(solidHeight, p[4] - down - 1.0 - BOUND_MARGIN);
        }
    overlaySlots = std::make_unique<std::array<OverlaySlot, 8>>();

    instance = this;
}

DatablockAnalyzer::~DatablockAnalyzer()
{
    DatablockAnalyzer* self = this;
    instance.compare_exchange_strong(self, nullptr);
}

DatablockAnalyzer* DatablockAnalyzer::getInstance()
{
    return instance;
}

DatablockAnalyzer::NoiseSeeds DatablockAnalyzer::noiseSeeds(int seed1, int seed2)
{
    if (seed2 == 0)
        throw "FATAL ERROR: DatablockAnalyzer cannot generate with a seed2 of 0!";
    // Seeds come from the world file, so any pair must work: computing in 64
    // bits and wrapping keeps extreme values (even INT_MIN / -1) from trapping.
    const std::int64_t a = seed1;
    const std::int64_t b = seed2;
    auto wrap = [](std::int64_t value) { return static_cast<int>(static_cast<std::uint32_t>(value)); };
    return { wrap(a - 2 * b), wrap(a / b + a / 2), wrap(2 * a - b), wrap(2 * b - a), wrap(a - b), wrap(b - a),
        wrap(a + b) };
}

double DatablockAnalyzer::climateValue(double x, double y, double z) const
{
    const Vector3 offset = Vector3(x, y, z) - planet.centre;
    const double len = offset.length();
    const Vector3 direction = len < 0.00001 ? Vector3() : offset / len;
    const Vector3 surface = direction * planet.radius;
    const Vector3 s = planet.centre + surface;
    const double n = climateNoise.GetValue(s.x, s.y, s.z);
    const double zoneCount = static_cast<double>(latitudeZones.size());
    const double v = (n * (planet.radius / zoneCount) / 5.0 * 6.0 + surface.y) / planet.radius;
    return std::min(std::abs(v), 1.0);
}

double DatablockAnalyzer::overlayValue(double x, double y, double z) const
{
    const Vector3 s = overlayPoint(x, y, z);
    return (overlayNoise.GetValue(s.x, s.y, s.z) + 1.0) * 0.5;
}

Vector3 DatablockAnalyzer::overlayPoint(double x, double y, double z) const
{
    return planet.upAt(x, y, z) * planet.radius;
}

const noise::module::Module& DatablockAnalyzer::termNoise(std::size_t term) const
{
    const noise::module::Module* modules[] = { &ridged, &hills, &bumps, &roughness };
    return *modules[term];
}

bool DatablockAnalyzer::termCounts(double weight)
{
    return weight > MIN_WEIGHT;
}

const ClimateZone& DatablockAnalyzer::zoneFor(
    ClimateParams* params, double climate, double x, double y, double z) const
{
    return zoneForValues(params, climate, overlayValue(x, y, z));
}

const ClimateZone& DatablockAnalyzer::zoneForValues(
    ClimateParams* params, double climate, double overlay) const
{
    const double c = std::clamp(climate, 0.0, 1.0);
    std::size_t lower = latitudeZones.size() - 1;
    std::size_t upper = lower;
    for (std::size_t i = 0; i < latitudeZones.size(); ++i) {
        if (latitudeZones[i].lo > c) {
            lower = i == 0 ? 0 : i - 1;
            upper = i;
            break;
        }
        if (latitudeZones[i].hi >= c) {
            lower = upper = i;
            break;
        }
    }
    const ZoneRange& below = latitudeZones[lower];
    const ZoneRange& above = latitudeZones[upper];
    const ClimateZone* chosen = above.lo - c > c - below.hi ? below.zone.get() : above.zone.get();

    const auto found = std::find_if(overlayZones.begin(), overlayZones.end(),
        [overlay](const ZoneRange& range) { return range.lo < overlay && overlay < range.hi; });
    const ZoneRange* over = found == overlayZones.end() ? nullptr : &*found;
    double f = 0.0;
    double g = 0.0;
    if (over) {
        f = (overlay - over->lo) / (over->hi - over->lo);
        g = (over->hi - overlay) / (over->hi - over->lo);
        // Near its edges an overlay only bends the parameters; the materials stay the latitude zone's.
        if (f >= 0.1 && g >= 0.1)
            chosen = over->zone.get();
    }
    if (!params)
        return *chosen;

    *params = lower == upper
        ? below.zone->params()
        : blend(below.zone->params(), above.zone->params(), (c - below.hi) / (above.lo - below.hi));
    if (over) {
        // An overlay that starts at 0 or ends at 1 has nothing to fade into on that side.
        double weight = 1.0;
        if (f < 0.45 && over->lo >= 0.0001)
            weight = f / 0.45;
        else if (g < 0.45 && 1.0 - over->hi >= 0.0001)
            weight = g / 0.45;
        *params = blend(*params, over->zone->params(), weight);
    }
    return *chosen;
}

double DatablockAnalyzer::densityAt(double x, double y, double z, const ClimateParams& params) const
{
    return densityAtHeight(x, y, z, planet.heightAt(x, y, z), params);
}

double DatablockAnalyzer::densityAtHeight(
    double x, double y, double z, double h, const ClimateParams& params) const
{
    if (h < DEEP_ROCK_HEIGHT)
        return 1.0;
    // The terms in the order they are summed, each within its reach. Once the
    // terms still to come cannot bring the sum back inside -1..1, the clamp
    // decides and they are skipped.
    struct Term
    {
        const noise::module::Module& module;
        std::size_t parameter;
        bool absolute; // the ridged term counts the noise's magnitude, so it only raises the ground
        double lowest = 0.0;
        double highest = 0.0;
    };
    Term terms[] = { { hills, 1, false }, { ridged, 0, true }, { bumps, 2, false }, { roughness, 3, false } };
    double lowest = 0.0;
    double highest = 0.0;
    for (Term& term : terms) {
        const double weight = params[term.parameter];
        term.highest = termCounts(weight) ? weight * termBounds[term.parameter] : 0.0;
        term.lowest = term.absolute ? 0.0 : -term.highest;
        lowest += term.lowest;
        highest += term.highest;
    }
    double v = -(h - params[4]);
    for (const Term& term : terms) {
        if (v + lowest >= 1.0 + ROUNDING_MARGIN)
            return 1.0;
        if (v + highest <= -1.0 - ROUNDING_MARGIN)
            return -1.0;
        const double weight = params[term.parameter];
        double value = 0.0;
        if (termCounts(weight)) {
            const double n = term.module.GetValue(x, y, z);
            value = weight * (term.absolute ? std::abs(n) : n);
        }
        v += value;
        lowest -= term.lowest;
        highest -= term.highest;
    }
    return std::clamp(v, -1.0, 1.0);
}

double DatablockAnalyzer::overlayAt(const datablock& block, int lx, int ly, int lz)
{
    const unsigned hash = static_cast<unsigned>(block.bx()) * 73856093u
        ^ static_cast<unsigned>(block.by()) * 19349663u ^ static_cast<unsigned>(block.bz()) * 83492791u;
    OverlaySlot& slot = (*overlaySlots)[hash % overlaySlots->size()];
    if (slot.epoch == 0 || slot.bx != block.bx() || slot.by != block.by() || slot.bz != block.bz()) {
        slot.bx = block.bx();
        slot.by = block.by();
        slot.bz = block.bz();
        if (++slot.epoch == 0) {
            slot.stamps.fill(0);
            slot.epoch = 1;
        }
    }
    const int index = (lx * datablock::SIZE + ly) * datablock::SIZE + lz;
    if (slot.stamps[index] != slot.epoch) {
        slot.values[index] = overlayValue(block.minX() + lx, block.minY() + ly, block.minZ() + lz);
        slot.stamps[index] = slot.epoch;
    }
    return slot.values[index];
}

double DatablockAnalyzer::densityOf(const datablock& block, int lx, int ly, int lz, double climate,
    const ClimateZone** zone, const double* standInOverlay)
{
    return densityAtVoxel(block.minX() + lx, block.minY() + ly, block.minZ() + lz, climate, zone,
        [&] { return standInOverlay ? *standInOverlay : overlayAt(block, lx, ly, lz); });
}

template <typename Overlay, typename Climate>
double DatablockAnalyzer::densityAtVoxel(int vx, int vy, int vz, double climate, const ClimateZone** zone,
    Overlay overlay, Climate climateOf) const
{
    const double x = vx;
    const double y = vy;
    const double z = vz;
    const double h = planet.heightAt(x, y, z);
    if (h >= airHeight)
        return -1.0;
    if (h < DEEP_ROCK_HEIGHT || h <= solidHeight)
        return 1.0;
    ClimateParams params;
    const ClimateZone& found = zoneForValues(&params, climateOf(climate), overlay());
    if (zone)
        *zone = &found;
    return densityAtHeight(x, y, z, h, params);
}

bool DatablockAnalyzer::overlayFreeAround(int x, int y, int z, double overlay) const
{
    // Seen from the planet's centre, a step of 1 at distance r turns the up
    // direction, where the overlay noise is read (at frequency 1 / radius on
    // the sphere of that radius), by at most 1 / (r - 1). One octave of
    // gradient noise changes by at most 2.12 * (1 + 3.15) * 1.5 per unit
    // along an axis (unit gradients, offsets of at most sqrt(2) + sqrt(3) from
    // two corners, interpolation slope), under 23 in any direction; the
    // second octave, twice as fast and half as strong, as much again; and the
    // overlay value is half the noise.
    constexpr double OVERLAY_SLOPE = 25.0;
    const double r = planet.heightAt(x, y, z) + planet.radius;
    if (r < 2.0)
        return false;
    const double reach = OVERLAY_SLOPE / (r - 1.0) + ROUNDING_MARGIN;
    return std::all_of(overlayZones.begin(), overlayZones.end(),
        [&](const ZoneRange& range) { return overlay + reach <= range.lo || overlay - reach >= range.hi; });
}

int DatablockAnalyzer::toVoxelDensity(double density)
{
    return static_cast<int>(density * Voxel::FULLY_SOLID);
}

void DatablockAnalyzer::generateVoxel(datablock& block, int lx, int ly, int lz, double climate)
{
    std::lock_guard<std::mutex> hold(generationLock);
    Voxel& voxel = block.localVoxel(lx, ly, lz);
    if (voxel.isGenerated())
        return;
    if (&block != lastBlock) {
        publishStatisticsLocked();
        lastBlock = &block;
    }
    ++pendingGenerated;

    const ClimateZone* zone = nullptr;
    if (voxel.density() == Voxel::UNCOMPUTED_DENSITY)
        voxel.setDensity(toVoxelDensity(densityOf(block, lx, ly, lz, climate, &zone)));
    if (voxel.density() == Voxel::FULLY_AIR) {
        voxel.setMaterial(Voxel::AIR_MATERIAL);
        return;
    }
    if (!zone)
        zone = &zoneForValues(nullptr, climate, overlayAt(block, lx, ly, lz));
    const VoxelKind kind = AnalyzeVoxel(block, lx, ly, lz, climate);
    voxel.setMaterial(zone->pickMaterial(kind, block.minX() + lx, block.minY() + ly, block.minZ() + lz));
}

void DatablockAnalyzer::publishStatistics()
{
    std::lock_guard<std::mutex> hold(generationLock);
    publishStatisticsLocked();
}

void DatablockAnalyzer::publishStatisticsLocked()
{
    if (pendingGenerated == 0)
        return;
    StatsManager::getInstance().addToStat(VOXELS_GENERATED, static_cast<double>(pendingGenerated));
    pendingGenerated = 0;
}

VoxelKind DatablockAnalyzer::AnalyzeVoxel(datablock& block, int lx, int ly, int lz, double climate)
{
    const double own = static_cast<double>(block.localVoxel(lx, ly, lz).density()) / Voxel::FULLY_SOLID;
    // Where the overlay cannot reach any overlay zone within a step, the
    // neighbours take the latitude zones' parameters whatever their own
    // overlay value, and the voxel's value stands in for theirs.
    const double overlay = overlayAt(block, lx, ly, lz);
    const int x = block.minX() + lx;
    const int y = block.minY() + ly;
    const int z = block.minZ() + lz;
    const double* standIn = overlayFreeAround(x, y, z, overlay) ? &overlay : nullptr;
    return classify(x, y, z, lx, ly, lz, own, [&](int, int, int, int nx, int ny, int nz) {
        Voxel& neighbour = block.localVoxel(nx, ny, nz);
        if (neighbour.density() != Voxel::UNCOMPUTED_DENSITY)
            return static_cast<double>(neighbour.density()) / Voxel::FULLY_SOLID;
        // Kept, so the neighbour's own generation does not compute it again.
        const double value = densityOf(block, nx, ny, nz, climate, nullptr, standIn);
        neighbour.setDensity(toVoxelDensity(value));
        return value;
    });
}

template <typename Neighbour>
VoxelKind DatablockAnalyzer::classify(
    int x, int y, int z, int lx, int ly, int lz, double own, Neighbour neighbour) const
{
    // Neighbours across the block face count as ground for the buried test and
    // as the voxel itself for the slope, so generation never fetches another block.
    double slope[6];
    bool buried = true;
    for (int i = 0; i < 6; ++i) {
        const int nx = lx + FACE_OFFSETS[i][0];
        const int ny = ly + FACE_OFFSETS[i][1];
        const int nz = lz + FACE_OFFSETS[i][2];
        if (!isLocalIndex(nx) || !isLocalIndex(ny) || !isLocalIndex(nz)) {
            slope[i] = own;
            continue;
        }
        const double value
            = neighbour(x + FACE_OFFSETS[i][0], y + FACE_OFFSETS[i][1], z + FACE_OFFSETS[i][2], nx, ny, nz);
        slope[i] = value;
        buried = buried && value >= 0.0;
    }
    if (buried)
        return VoxelKind::Buried;

    const Vector3 gradient
        = Vector3(slope[1] - slope[0], slope[3] - slope[2], slope[5] - slope[4]).normalise();
    const Vector3 up = planet.upAt(x, y, z);
    return gradient.dot(up) > 0.75 ? VoxelKind::TopSurface : VoxelKind::SteepSurface;
}

DatablockAnalyzer::FirstRead DatablockAnalyzer::firstRead(
    int x, int y, int z, const std::function<double()>& climateHere, bool withMaterial) const
{
    // As generateVoxel and AnalyzeVoxel on a block whose voxels all lack a
    // density; the climate and the overlay are found only when needed.
    double climate = 0.0;
    double overlay = 0.0;
    bool climateKnown = false;
    bool overlayKnown = false;
    const auto climateOnce = [&] {
        if (!climateKnown)
            climate = climateHere();
        climateKnown = true;
        return climate;
    };
    const auto overlayOnce = [&] {
        if (!overlayKnown)
            overlay = overlayValue(x, y, z);
        overlayKnown = true;
        return overlay;
    };
    const ClimateZone* zone = nullptr;
    const int density = toVoxelDensity(
        densityAtVoxel(x, y, z, 0.0, &zone, overlayOnce, [&](double) { return climateOnce(); }));
    if (density == Voxel::FULLY_AIR)
        return { density, Voxel::AIR_MATERIAL };
    if (!withMaterial)
        return { density, Voxel::UNGENERATED_MATERIAL };
    if (!zone)
        zone = &zoneForValues(nullptr, climateOnce(), overlayOnce());
    const int lx = x - datablock::blockCoordinate(x) * datablock::SIZE;
    const int ly = y - datablock::blockCoordinate(y) * datablock::SIZE;
    const int lz = z - datablock::blockCoordinate(z) * datablock::SIZE;
    const bool standIn = overlayFreeAround(x, y, z, overlayOnce());
    const VoxelKind kind = classify(x, y, z, lx, ly, lz, static_cast<double>(density) / Voxel::FULLY_SOLID,
        [&](int nx, int ny, int nz, int, int, int) {
            return densityAtVoxel(
                nx, ny, nz, climate, nullptr, [&] { return standIn ? overlay : overlayValue(nx, ny, nz); });
        });
    return { density, zone->pickMaterial(kind, x, y, z) };
}
