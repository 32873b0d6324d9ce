#include "Terrain/TerrainRenderer.h"

#include "Game/Lights.h"
#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Graphics/Textures.h"
#include "Interface/ComponentContainer.h"
#include "Interface/ImageContainer.h"
#include "Interface/Interface.h"
#include "Terrain/DepthPick.h"
#include "Terrain/FarTerrain.h"
#include "Terrain/GridCell.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/WaterBlock.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"

#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/Window.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const modelPath = "./Resources/Shaders/model";
const int causticFrames = 32;
const float pickMarkRadius = 0.3f;
const std::string textureDirectory = "resources\\textures\\";
const std::string cloudsFile = "clouds.jpg";
const std::string grassFile = "terrain/vegetation/grass_01/diffus3.tga";
// The alpha the grass program cuts blades at; the grass texture's mipmap
// levels keep the coverage the image has at it.
const float grassCutoff = 0.5f;
// Grass sinks into the ground between these distances from the viewer; the
// coarse ring's cells within the second (and a quad's width) carry grass
// where the fine ring shows no ground.
const float grassFadeStart = 32.0f;
const float grassFadeEnd = 40.0f;

std::vector<std::string> causticFramePaths()
{
    std::vector<std::string> paths;
    for (int frame = 1; frame <= causticFrames; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, "resources\\textures\\water\\caus5\\save.%02d.png", frame);
        paths.push_back(name);
    }
    return paths;
}

GLuint idOf(const Texture* texture)
{
    return texture ? texture->id : 0;
}

std::unique_ptr<ShaderProgram> outlineFrom(const std::string& basePath)
{
    auto program = std::make_unique<ShaderProgram>();
    program->load(basePath, true);
    return program;
}

void setFloat(ShaderProgram& program, const std::string& name, float value)
{
    const GLint location = program.getUniformLocation(name);
    if (location != -1)
        glUniform1f(location, value);
}

// Units 0 to 4 carry the pass's textures; unit 0 is left active.
void unbindTextures()
{
    for (int unit = 4; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_3D, 0);
        glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    }
}

bool softwareRasteriser()
{
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer
        && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe")
            || std::strstr(renderer, "Software"));
}

// A software rasteriser spends most of a frame on the anisotropic filtering
// of the ground; plain trilinear filtering there keeps the game playable.
void filterForRasteriser(GLenum target, GLuint texture)
{
    if (texture == 0 || !GLEW_EXT_texture_filter_anisotropic || !softwareRasteriser())
        return;
    glBindTexture(target, texture);
    glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
    glBindTexture(target, 0);
}

void setStencil(GLenum function, GLenum operation)
{
    glStencilFunc(function, 1, 1);
    glStencilOp(operation, operation, operation);
}

} // namespace

// What every step of one pass reads.
struct TerrainRenderer::Frame
{
    float modelView[16];
    float projection[16];
    Frustum frustum;
    Vector3 eye;
    Vector3 look;
    Vector3 sun;
    // Null when the planet is missing, which is reported once a frame.
    const Planet* planet;
    Daylight light;
    int viewport[4];
};

TerrainRenderer::TerrainRenderer(Terrain& terrain, ModelInstances::GroundFinder ground)
    : TerrainRenderer(terrain, std::move(ground), loadLater)
{
    loadPrograms();
    loadModels();
    loadTextures();
}

TerrainRenderer::TerrainRenderer(Terrain& terrain, ModelInstances::GroundFinder ground, LoadLater)
    : terrain(terrain)
    , ground(std::move(ground))
    , start(std::chrono::steady_clock::now())
{
    const Window& window = Window::getInstance();
    picking = std::make_unique<PickingBuffer>(window.width, window.height);
    terrain.reloadShaders = [this] { reloadShaders(); };
}

void TerrainRenderer::loadPrograms()
{
    terrainProgram = std::make_unique<ShaderProgram>("./Resources/Shaders/terrain");
    waterProgram = std::make_unique<ShaderProgram>("./Resources/Shaders/water");
    vegetationProgram = std::make_unique<ShaderProgram>("./Resources/Shaders/vegetation");
    pickingProgram = std::make_unique<ShaderProgram>("./Resources/Shaders/model_colour_picking");
    modelProgram = std::make_unique<ShaderProgram>(modelPath);
    outlineProgram = outlineFrom(modelPath);
}

void TerrainRenderer::loadModels()
{
    dwarf = std::make_unique<Model>("resources\\models\\dwarf\\dwarf_smaller.obj");
    forge = std::make_unique<Model>("resources\\models\\forge.obj");
}

std::vector<std::string> TerrainRenderer::imageFiles()
{
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    registry.addTerrainLayers();
    std::vector<std::string> files;
    for (const std::vector<std::string>& list :
        { registry.diffuseList(), registry.normalList(), registry.detailList(), { cloudsFile, grassFile } })
        for (const std::string& name : list)
            files.push_back(textureDirectory + name);
    for (const std::string& path : causticFramePaths())
        files.push_back(path);
    return files;
}

void TerrainRenderer::loadTextures()
{
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    registry.addTerrainLayers();
    diffuseArray = idOf(getTextureArray(registry.diffuseList()));
    normalArray = idOf(getTextureArray(registry.normalList()));
    detailArray = idOf(getTextureArray(registry.detailList()));
    noiseTexture = idOf(getTexture2D(cloudsFile));
    vegetationTexture = idOf(getTextureArray({ grassFile }, grassCutoff));
    if (vegetationTexture != 0) {
        // The blades' roots stand on the image's bottom row: repeating it
        // would draw them again along the top edge of every quad.
        glBindTexture(GL_TEXTURE_2D_ARRAY, vegetationTexture);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    }
    causticsTexture = createTexture3D(causticFramePaths(), true);
    for (GLuint array : { diffuseArray, normalArray, detailArray, vegetationTexture })
        filterForRasteriser(GL_TEXTURE_2D_ARRAY, array);
    filterForRasteriser(GL_TEXTURE_2D, noiseTexture);
}

TerrainRenderer::~TerrainRenderer()
{
    terrain.reloadShaders = nullptr;
    glDeleteTextures(1, &causticsTexture);
}

ModelInstances::GroundFinder TerrainRenderer::dataManagerGround()
{
    return [](const Vector3& p) -> std::optional<Vector3> {
        const Vector3 ground = TerrainDataManager::getInstance().findSurface(p);
        const Planet* planet = Planet::getInstance();
        // Water fills every hollow below the sea level.
        if (planet && planet->heightAt(ground) < planet->seaLevel)
            return std::nullopt;
        return ground;
    };
}

void TerrainRenderer::render()
{
    const Window& window = Window::getInstance();
    int cursorX = window.width / 2;
    int cursorY = window.height / 2;
    if (window.mouseMode != 1 && window.sfWindow) {
        const sf::Vector2i pointer = sf::Mouse::getPosition(*window.sfWindow);
        cursorX = pointer.x;
        cursorY = window.height - pointer.y;
    }
    std::lock_guard<std::mutex> hold(terrain.lock());
    renderCells(terrain.fineVisible(), terrain.coarseVisible(), cursorX, cursorY);
}

void TerrainRenderer::renderCells(const std::vector<GridCell*>& fineVisible,
    const std::vector<GridCell*>& coarseVisible, int cursorX, int cursorY)
{
    Frame frame;
    glMatrixMode(GL_MODELVIEW);
    glGetFloatv(GL_MODELVIEW_MATRIX, frame.modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, frame.projection);
    float combined[16];
    glPushMatrix();
    glLoadMatrixf(frame.projection);
    glMultMatrixf(frame.modelView);
    glGetFloatv(GL_MODELVIEW_MATRIX, combined);
    glPopMatrix();
    frame.frustum.extract(combined);
    glGetIntegerv(GL_VIEWPORT, frame.viewport);

    const Camera& camera = Camera::getInstance();
    frame.eye = camera.eye;
    frame.look = camera.lookDirection();
    frame.planet = Planet::getInstance();
    frame.sun = frame.planet ? frame.planet->sunPosition() : Vector3();
    frame.light = Daylight::at(frame.sun, frame.eye, frame.eye.normalise());
    const FarTerrain* far = terrain.farLevel();
    if (far && frame.planet)
        FarTerrain::openHaze(
            frame.light, frame.planet->heightAt(frame.eye), frame.planet->radius, terrain.farHazeOpening());
    // The scene's two lamps (Page Down, Page Up): the main one is the sun's
    // light, the other a blue fill.
    if (const Lights* lights = Lights::getInstance()) {
        if (!lights->light0On)
            frame.light.sunColour = Vector3();
        if (lights->light2On)
            frame.light.fillColour = Vector3(lights->diffuse2[0], lights->diffuse2[1], lights->diffuse2[2]);
    }

    if (!instancesPlaced) {
        instancesPlaced = true;
        if (ground)
            instances.placeAround(frame.eye,
                Orientation { frame.look, camera.orientation.up, camera.orientation.right }, ground);
    }
    lastPass = PassCounts();

    ShaderProgram& surface = *terrainProgram;
    surface.use();
    setFrameUniforms(frame, surface);
    surface.setVec3("camLookAt", frame.look);
    surface.setVec3("pickedPos", pickedPosition);
    surface.setTextureArray("textureArray", 0, diffuseArray);
    surface.setTextureArray("normalArray", 2, normalArray);
    surface.setTextureArray("detailArray", 3, detailArray);
    surface.setTexture2D("noiseTexture", 4, noiseTexture);
    glEnable(GL_STENCIL_TEST);
    setStencil(GL_ALWAYS, GL_REPLACE);
    std::vector<GridCell*> drawnFine;
    std::vector<GridCell*> drawnCoarse;
    drawTerrain(frame, fineVisible, drawnFine);
    // The coarse ring marks what it draws too, for the far level behind it.
    setStencil(GL_NOTEQUAL, GL_REPLACE);
    drawTerrain(frame, coarseVisible, drawnCoarse);
    if (far) {
        setStencil(GL_NOTEQUAL, GL_KEEP);
        lastPass.farTerrain = drawFarLevel(frame, *far, false);
    }
    lastPass.fineTerrain = static_cast<int>(drawnFine.size());
    lastPass.coarseTerrain = static_cast<int>(drawnCoarse.size());

    pickedPosition = unprojectPixel(cursorX, cursorY);
    DebugShapes::getInstance().addSphere(static_cast<float>(pickedPosition.x),
        static_cast<float>(pickedPosition.y), static_cast<float>(pickedPosition.z), pickMarkRadius, 1.0f,
        0.0f, 0.0f);

    ShaderProgram& water = *waterProgram;
    // The far level's sea, after the pick (the tools work on the ground) and
    // still behind the rings' ground: their own water covers it there.
    if (far) {
        water.use();
        setFrameUniforms(frame, water);
        water.setTexture3D("noiseTexture", 0, causticsTexture);
        lastPass.farSea = drawFarLevel(frame, *far, true);
        unbindTextures();
    }
    glClear(GL_STENCIL_BUFFER_BIT);
    setStencil(GL_ALWAYS, GL_REPLACE);

    drawVegetation(frame, fineVisible, drawnFine, drawnCoarse);

    water.use();
    setFrameUniforms(frame, water);
    water.setTexture3D("noiseTexture", 0, causticsTexture);
    lastPass.fineWater = drawWater(drawnFine);
    setStencil(GL_NOTEQUAL, GL_KEEP);
    lastPass.coarseWater = drawWater(drawnCoarse);
    glDisable(GL_STENCIL_TEST);
    unbindTextures();
    useProgram(0);

    pickInstance(frame, cursorX, cursorY);
    showPickingWindow();

    for (ShaderProgram* program : { modelProgram.get(), outlineProgram.get() }) {
        drawModels(frame, *program);
        unbindTextures();
        useProgram(0);
    }
}

void TerrainRenderer::setFrameUniforms(const Frame& frame, ShaderProgram& program) const
{
    program.setMat4("modelViewMatrix", frame.modelView);
    program.setMat4("projectionMatrix", frame.projection);
    program.setVec3("sunPosition", frame.sun);
    program.setVec3("playerPos", frame.eye);
    program.setVec3("sunColour", frame.light.sunColour);
    program.setVec3("moonColour", frame.light.moonColour);
    program.setVec3("ambientColour", frame.light.ambientColour);
    program.setVec3("fillColour", frame.light.fillColour);
    program.setVec3("fogColour", frame.light.fogColour);
    const GLint range = program.getUniformLocation("fogRange");
    if (range != -1)
        glUniform2f(range, frame.light.fogStart, frame.light.fogEnd);
}

void TerrainRenderer::drawBlock(VisualBlock& block, GLuint program)
{
    if (block.wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    block.draw(program);
    if (block.wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void TerrainRenderer::drawTerrain(
    const Frame& frame, const std::vector<GridCell*>& cells, std::vector<GridCell*>& drawn)
{
    for (GridCell* cell : cells) {
        const VoxelBox& box = cell->box;
        const float corners[6]
            = { static_cast<float>(box.x0), static_cast<float>(box.y0), static_cast<float>(box.z0),
                  static_cast<float>(box.x1), static_cast<float>(box.y1), static_cast<float>(box.z1) };
        if (frame.frustum.classifyBox(corners) == Frustum::Outside)
            continue;
        drawBlock(*cell->terrain, terrainProgram->program);
        drawn.push_back(cell);
    }
}

int TerrainRenderer::drawFarLevel(const Frame& frame, const FarTerrain& far, bool sea)
{
    int drawn = 0;
    for (const FarTerrain::Chunk& chunk : far.visible()) {
        VisualBlock* block = sea ? static_cast<VisualBlock*>(chunk.sea) : chunk.block;
        if (!block)
            continue;
        const VoxelBox& box = chunk.box;
        const float corners[6]
            = { static_cast<float>(box.x0), static_cast<float>(box.y0), static_cast<float>(box.z0),
                  static_cast<float>(box.x1), static_cast<float>(box.y1), static_cast<float>(box.z1) };
        if (frame.frustum.classifyBox(corners) == Frustum::Outside || far.isHidden(box, frame.eye))
            continue;
        drawBlock(*block, sea ? waterProgram->program : terrainProgram->program);
        ++drawn;
    }
    return drawn;
}

void TerrainRenderer::drawVegetation(const Frame& frame, const std::vector<GridCell*>& fineVisible,
    const std::vector<GridCell*>& fineCells, const std::vector<GridCell*>& coarseCells)
{
    ShaderProgram& vegetation = *vegetationProgram;
    vegetation.use();
    setFrameUniforms(frame, vegetation);
    vegetation.setVec3("playerPosition", frame.eye);
    setFloat(vegetation, "elapsedTime",
        std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count());
    vegetation.setTextureArray("vegetationTexture", 0, vegetationTexture);
    vegetation.setTexture2D("noiseTexture", 2, noiseTexture);
    setFloat(vegetation, "cutoff", grassCutoff);
    const GLint fade = vegetation.getUniformLocation("fadeRange");
    if (fade != -1)
        glUniform2f(fade, grassFadeStart, grassFadeEnd);
    // Grass leaves the stencil to the water that follows.
    setStencil(GL_ALWAYS, GL_KEEP);
    // With multisampling the blades' alpha becomes coverage, which needs no
    // order; without it they blend, their edges a pixel wide.
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    const bool coverage = samples > 0;
    if (coverage) {
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glDisable(GL_BLEND);
    }
    std::vector<TerrainBlock::Patch> fineGround;
    for (GridCell* cell : fineVisible)
        if (cell->terrain->drawnTriangleCount != 0)
            fineGround.push_back(TerrainBlock::patchOf(Vector3(cell->box.x0, cell->box.y0, cell->box.z0)));
    for (GridCell* cell : fineCells)
        if (cell->terrain->drawVegetation())
            ++lastPass.vegetation;
    // Where the fine ring has ground, the coarse ring's is hidden, and so is
    // its grass.
    std::sort(fineGround.begin(), fineGround.end());
    const auto underFine = [&fineGround](const TerrainBlock::Patch& patch) {
        return std::binary_search(fineGround.begin(), fineGround.end(), patch);
    };
    const double reach = grassFadeEnd + 1.0;
    for (GridCell* cell : coarseCells) {
        const VoxelBox& box = cell->box;
        const Vector3 nearest { std::clamp(frame.eye.x, double(box.x0), double(box.x1)),
            std::clamp(frame.eye.y, double(box.y0), double(box.y1)),
            std::clamp(frame.eye.z, double(box.z0), double(box.z1)) };
        if ((nearest - frame.eye).length() <= reach && cell->terrain->drawVegetation(underFine))
            ++lastPass.coarseVegetation;
    }
    if (coverage) {
        glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glEnable(GL_BLEND);
    }
    setStencil(GL_ALWAYS, GL_REPLACE);
    unbindTextures();
    useProgram(0);
}

int TerrainRenderer::drawWater(const std::vector<GridCell*>& cells)
{
    for (GridCell* cell : cells)
        drawBlock(*cell->water, waterProgram->program);
    return static_cast<int>(cells.size());
}

void TerrainRenderer::pickInstance(const Frame& frame, int cursorX, int cursorY)
{
    picking->begin(frame.viewport[2], frame.viewport[3]);
    pickingProgram->use();
    drawInstances(frame, *pickingProgram, true);
    instances.picked = instances.numberFromColour(picking->colourAt(cursorX, cursorY));
    unbindTextures();
    useProgram(0);
    picking->end();
}

void TerrainRenderer::showPickingWindow()
{
    if (pickingWindow)
        return;
    Interface* interface = Interface::getInstance();
    if (!interface)
        throw "FATAL EXCEPTION: INTERFACE INSTANCED BEFORE INITED!";
    pickingImage = std::make_unique<ImageContainer>("FBO", picking->texture().id);
    pickingImage->setPosition(600, 600);
    pickingImage->setSize(512, 512);
    pickingWindow = std::make_unique<ComponentContainer>("FBO_CON", "FBO");
    pickingWindow->setFirst(pickingImage.get());
    pickingWindow->setSize(100, 100);
    // The window opens where its image was placed; the user can move it.
    pickingWindow->setPosition(600, 600);
    interface->addWindow(pickingWindow.get());
}

void TerrainRenderer::drawModels(const Frame& frame, ShaderProgram& program)
{
    program.use();
    setFrameUniforms(frame, program);
    drawInstances(frame, program, false);
}

void TerrainRenderer::drawInstances(const Frame& frame, ShaderProgram& program, bool colourCoded)
{
    program.setVec3("sunPosition", frame.sun);
    for (const std::string& name : ModelInstances::modelNames()) {
        const Model& model = name == "dwarf" ? *dwarf : *forge;
        const std::vector<ModelInstances::Position>& positions = instances.of(name);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const Vector3 p { positions[i][0], positions[i][1], positions[i][2] };
            const Orientation standing
                = Planet::orientationForUp(frame.planet ? frame.planet->upAt(p) : p.normalise());
            program.setVec3("rotX", standing.forward);
            program.setVec3("rotY", standing.up);
            program.setVec3("modelPosition", p);
            const int number = instances.numberOf(name, i);
            if (colourCoded) {
                const ModelInstances::Colour colour = ModelInstances::colourOf(number);
                program.setIVec3("color", colour[0], colour[1], colour[2]);
            } else {
                program.setInt("picked", number == instances.picked ? 1 : 0);
            }
            model.draw(program);
        }
    }
}

void TerrainRenderer::reloadShaders()
{
    for (ShaderProgram* program : { terrainProgram.get(), waterProgram.get(), vegetationProgram.get(),
             pickingProgram.get(), modelProgram.get() })
        program->reload();
    outlineProgram = outlineFrom(modelPath);
}
