// Replays a power-dig stroke on a loaded world, frame by frame, and prints
// what the edits cost the main thread and how many frames they take to show,
// once for the old path (the main thread remeshes two queued cells per frame
// after the uploads) and once for the edit worker. Needs an OpenGL context:
//   tests/support/with-xvfb.sh nice -n 19 build/benchmarks/edit_latency_benchmark [frames [frame ms]]
//
// A frame here is what the game's update does for edits and uploads: the
// wait for edits (idle, reported apart), every block's update (fades
// and uploads), the edit queueing after the tools and in the terrain's
// update, and on the old path the two remeshes; then the main thread spins
// to the end of the frame (16.7 ms unless given) holding the terrain lock,
// standing for drawing, which holds it while it draws the terrain and with
// software rendering keeps a core busy. Costs are main-thread CPU time.
// The dig itself (the tool's ray and writes) is not counted. An edit of frame
// N shows in frame N + k when every cell it queued was handed over before
// frame N + k's uploads began.

#include "Graphics/BufferPool.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/WaterBlock.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <GL/glew.h>
#include <SFML/Window.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The power dig applies 15 times a second: every fourth frame at 60 Hz, and
// every fourth frame at any other rate too, so that strokes compare.
constexpr int FRAMES_PER_DIG = 4;
constexpr int OLD_EDITS_PER_FRAME = 2;

double threadMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// One application of the power dig tool: every voxel the ray meets within 5
// units, and its six face neighbours, lowered by 20.
void powerDig(TerrainDataManager& manager, const Vector3& eye, const Vector3& direction)
{
    static const int offsets[7][3]
        = { { 0, 0, 0 }, { -1, 0, 0 }, { 1, 0, 0 }, { 0, -1, 0 }, { 0, 1, 0 }, { 0, 0, -1 }, { 0, 0, 1 } };
    for (const Vox& hit : manager.castVoxelRay(eye, direction, 5.0)) {
        const Vector3 p = hit.getPosition();
        for (const auto& offset : offsets) {
            Vox voxel(manager, static_cast<int>(std::lround(p.x)) + offset[0],
                static_cast<int>(std::lround(p.y)) + offset[1],
                static_cast<int>(std::lround(p.z)) + offset[2]);
            const int density = voxel.density();
            if (density > -127)
                voxel.density(std::max(density - 20, -127));
        }
    }
}

// An edit waiting to show: the frame it was made in and the queue counts it
// must see handed over, per ring (0 when it queued nothing there).
struct PendingEdit
{
    int frame;
    long fineQueued;
    long coarseQueued;
};

struct Figures
{
    std::vector<double> cost;
    // Wall time awaitEdits took.
    std::vector<double> wait;
    std::vector<int> fineFrames;
    std::vector<int> coarseFrames;
    long fineCells = 0;
    long coarseCells = 0;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

std::string framesSummary(std::vector<int> frames)
{
    if (frames.empty())
        return "none";
    std::sort(frames.begin(), frames.end());
    char text[64];
    std::snprintf(text, sizeof text, "median %d, max %d (%zu edits)", frames[frames.size() / 2],
        frames.back(), frames.size());
    return text;
}

// A new world (seeds 13 and 14) in a temporary folder with the water thread
// running, both rings built and uploaded, then the stroke: the view sweeps a
// quarter turn along the ground in front of the viewer.
Figures replay(bool worker, int frames, std::chrono::microseconds frameTime)
{
    char pattern[] = "/tmp/glebe-edit-benchmark-XXXXXX";
    const std::string root = std::string(mkdtemp(pattern)) + "/";
    double viewer[3] = { 510.0, 0.0, 0.0 };
    Figures figures;
    {
        std::cout.setstate(std::ios::failbit);
        TerrainDataManager manager(
            viewer, "Benchmark", 13, 14, TerrainDataManager::GAME_CAPACITY, root, true);
        std::cout.clear();
        DataManagerWorld world(manager);
        const Vector3 feet { viewer[0], viewer[1], viewer[2] };
        Terrain terrain(world, feet);
        terrain.runPass();
        if (worker)
            terrain.launch();
        auto updateBlocks = [&](double dt) {
            for (const auto& cell : terrain.cells()) {
                cell->terrain->update(dt);
                cell->water->update(dt);
            }
        };
        BufferPool::getInstance().service();
        updateBlocks(0.0);

        const Vector3 up = Planet::getInstance()->upAt(feet);
        const Vector3 side = up.cross({ 0.0, 0.0, 1.0 }).normalise();
        const Vector3 ahead = side.cross(up).normalise();
        const Vector3 eye = feet + up * 1.7;
        std::vector<PendingEdit> pending;
        for (int frame = 0; frame < frames; ++frame) {
            const auto start = std::chrono::steady_clock::now();
            BufferPool::getInstance().service();
            double cost = threadMilliseconds();
            const auto waitStart = std::chrono::steady_clock::now();
            terrain.awaitEdits();
            figures.wait.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - waitStart)
                    .count());
            const Terrain::EditCount fine = terrain.editCount(true), coarse = terrain.editCount(false);
            updateBlocks(1.0 / 60.0);
            terrain.queueEdits();
            for (int n = 0; !worker && n < OLD_EDITS_PER_FRAME && terrain.meshNextEdit(); ++n) { }
            cost = threadMilliseconds() - cost;
            for (auto it = pending.begin(); it != pending.end();) {
                if (it->fineQueued != 0 && it->fineQueued <= fine.meshed) {
                    figures.fineFrames.push_back(frame - it->frame);
                    it->fineQueued = 0;
                }
                if (it->coarseQueued != 0 && it->coarseQueued <= coarse.meshed) {
                    figures.coarseFrames.push_back(frame - it->frame);
                    it->coarseQueued = 0;
                }
                it = it->fineQueued == 0 && it->coarseQueued == 0 ? pending.erase(it) : it + 1;
            }
            if (frame % FRAMES_PER_DIG == 0) {
                const double turn = 1.5707963 * frame / frames;
                const Vector3 look = (ahead * std::cos(turn) + side * std::sin(turn) - up * 0.8).normalise();
                powerDig(manager, eye, look);
                const double queueing = threadMilliseconds();
                const Terrain::EditCount fineBefore = terrain.editCount(true);
                const Terrain::EditCount coarseBefore = terrain.editCount(false);
                terrain.queueEdits();
                const long fineQueued = terrain.editCount(true).queued;
                const long coarseQueued = terrain.editCount(false).queued;
                cost += threadMilliseconds() - queueing;
                figures.fineCells += fineQueued - fineBefore.queued;
                figures.coarseCells += coarseQueued - coarseBefore.queued;
                pending.push_back({ frame, fineQueued != fineBefore.queued ? fineQueued : 0,
                    coarseQueued != coarseBefore.queued ? coarseQueued : 0 });
            }
            figures.cost.push_back(cost);
            glFinish();
            std::lock_guard<std::mutex> drawing(terrain.lock());
            while (std::chrono::steady_clock::now() < start + frameTime) { }
        }
        terrain.stop();
    }
    std::filesystem::remove_all(root);
    return figures;
}

void report(const char* path, const Figures& figures)
{
    std::printf("%s: %zu frames, main thread ms per frame: median %.3f, p99 %.3f, max %.3f; cells queued: "
                "fine %ld, coarse %ld\n",
        path, figures.cost.size(), percentile(figures.cost, 0.5), percentile(figures.cost, 0.99),
        percentile(figures.cost, 1.0), figures.fineCells, figures.coarseCells);
    std::printf("  waiting for edits, ms: p99 %.3f, max %.3f; frames until visible: fine %s; coarse %s\n",
        percentile(figures.wait, 0.99), percentile(figures.wait, 1.0),
        framesSummary(figures.fineFrames).c_str(), framesSummary(figures.coarseFrames).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(FRAMES_PER_DIG, std::atoi(argv[1])) : 240;
    const auto frameTime
        = std::chrono::microseconds(argc > 2 ? std::lround(1000.0 * std::atof(argv[2])) : 16667);
    sf::ContextSettings settings(24, 8, 0, 2, 1);
    sf::Window window(sf::VideoMode(320, 240), "edit latency", sf::Style::None, settings);
    window.setVisible(false);
    window.setActive(true);
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "GLEW could not be initialised\n");
        return 1;
    }
    std::printf("%d frames of %.1f ms, a dig every %d\n", frames, frameTime.count() / 1000.0, FRAMES_PER_DIG);
    report("old path (two cells per frame on the main thread)", replay(false, frames, frameTime));
    report("edit worker", replay(true, frames, frameTime));
    return 0;
}
