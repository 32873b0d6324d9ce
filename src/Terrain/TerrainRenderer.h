#pragma once

#include "Graphics/Frustum.h"
#include "Graphics/Model.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/Vector3.h"
#include "Terrain/Daylight.h"
#include "Terrain/ModelInstances.h"
#include "Terrain/PickingBuffer.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class ComponentContainer;
class FarTerrain;
class ImageContainer;
class Terrain;
class VisualBlock;
struct GridCell;

// The terrain's render pass and everything it draws with: the terrain,
// water, vegetation, model and colour-picking programs, the texture arrays,
// the noise and caustics textures, the two models with their instances, and
// the colour-picking buffer.
//
// Each frame it draws the visible cells of both rings (coarse terrain only
// where no fine terrain was drawn, cells outside the view skipped) and the
// terrain's far level where neither ring drew, under a haze that opens
// with height, reads
// back the world position under the cursor and marks it, draws grass out to
// 40 units (on the drawn fine cells and, beyond the fine ring's ground, on
// the coarse ones) and water on all drawn cells, draws the models into the
// picking buffer to learn which instance is under the cursor, and draws the
// models, the picked one outlined.
//
// Main thread only. It answers the terrain's "reloadShaders" command while
// it exists.
class TerrainRenderer
{
public:
    // How many blocks the last pass drew, per kind.
    struct PassCounts
    {
        int fineTerrain = 0;
        int coarseTerrain = 0;
        // Blocks that drew grass, per ring.
        int vegetation = 0;
        int coarseVegetation = 0;
        int fineWater = 0;
        int coarseWater = 0;
        int farTerrain = 0;
        int farSea = 0;
    };

    // Loads the models, programs and textures and makes the picking buffer
    // the size of the window. The models are stood on the ground found by
    // `ground` around the viewer when the first frame is drawn; by default
    // the terrain data manager finds it, and without a finder no instances
    // are placed.
    explicit TerrainRenderer(Terrain& terrain, ModelInstances::GroundFinder ground = dataManagerGround());
    // Makes only the picking buffer; the owner then calls the three load
    // steps, in any order, before the first render, e.g. between the frames
    // of a loading screen.
    struct LoadLater
    {
    };
    static constexpr LoadLater loadLater {};
    TerrainRenderer(Terrain& terrain, ModelInstances::GroundFinder ground, LoadLater);
    void loadPrograms();
    void loadModels();
    void loadTextures();
    // Every image file loadTextures() reads, once per read, for decoding
    // them ahead (prefetchImages).
    static std::vector<std::string> imageFiles();
    ~TerrainRenderer();
    TerrainRenderer(const TerrainRenderer&) = delete;
    TerrainRenderer& operator=(const TerrainRenderer&) = delete;

    static ModelInstances::GroundFinder dataManagerGround();

    // Draws the terrain's visible cells, holding its lock for the whole pass
    // so that the update thread leaves the lists as they are. It picks under
    // the crosshair (the window's centre) while the pointer is captured, and
    // under the pointer while it is free. Needs the camera; without a planet
    // it reports that and draws with the sun at the centre. Throws "FATAL
    // EXCEPTION: INTERFACE INSTANCED BEFORE INITED!" when the interface does
    // not exist yet, as it shows the picking buffer in a window.
    void render();
    // The same pass over given cells, picking under a cursor in window
    // pixels from the bottom left; the caller keeps the cells from changing.
    void renderCells(const std::vector<GridCell*>& fineVisible, const std::vector<GridCell*>& coarseVisible,
        int cursorX, int cursorY);

    // Reads every program's sources again; the outline program keeps its
    // geometry stage.
    void reloadShaders();

    // Where the cursor pointed in the last frame (what the terrain shader
    // marks), initially the origin.
    Vector3 pickedPosition;
    ModelInstances instances;
    PassCounts lastPass;

    std::unique_ptr<Model> dwarf;
    std::unique_ptr<Model> forge;
    std::unique_ptr<ShaderProgram> terrainProgram;
    std::unique_ptr<ShaderProgram> waterProgram;
    std::unique_ptr<ShaderProgram> vegetationProgram;
    std::unique_ptr<ShaderProgram> pickingProgram;
    std::unique_ptr<ShaderProgram> modelProgram;
    // The model program with the geometry stage that outlines the picked
    // instance.
    std::unique_ptr<ShaderProgram> outlineProgram;

private:
    struct Frame;

    void drawTerrain(const Frame& frame, const std::vector<GridCell*>& cells, std::vector<GridCell*>& drawn);
    // The far level's ground, or its sea, where no ring drew.
    int drawFarLevel(const Frame& frame, const FarTerrain& far, bool sea);
    int drawWater(const std::vector<GridCell*>& cells);
    // Grass on the drawn cells: all of the fine ones', and the coarse ones'
    // within its reach where no cell of the fine ring shows ground.
    void drawVegetation(const Frame& frame, const std::vector<GridCell*>& fineVisible,
        const std::vector<GridCell*>& fineCells, const std::vector<GridCell*>& coarseCells);
    void pickInstance(const Frame& frame, int cursorX, int cursorY);
    void drawModels(const Frame& frame, ShaderProgram& program);
    void drawInstances(const Frame& frame, ShaderProgram& program, bool colourCoded);
    void showPickingWindow();
    void setFrameUniforms(const Frame& frame, ShaderProgram& program) const;
    static void drawBlock(VisualBlock& block, GLuint program);

    Terrain& terrain;
    ModelInstances::GroundFinder ground;
    bool instancesPlaced = false;
    std::chrono::steady_clock::time_point start;

    GLuint diffuseArray = 0;
    GLuint normalArray = 0;
    GLuint detailArray = 0;
    GLuint noiseTexture = 0;
    GLuint vegetationTexture = 0;
    GLuint causticsTexture = 0;
    std::unique_ptr<PickingBuffer> picking;

    std::unique_ptr<ImageContainer> pickingImage;
    std::unique_ptr<ComponentContainer> pickingWindow;
};
