#include "ResourceGenerator.h"

#include "Heightfield.h"
#include "MeshBuilder.h"
#include "OutputFolder.h"
#include "Transform.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

// A fresh temporary folder, removed again at the end, with what was written into it.
struct Folder
{
    Folder()
    {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    ~Folder() { std::filesystem::remove_all(root); }
    std::string path(const std::string& relative) const { return (root / relative).string(); }
    std::vector<std::string> written() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path().lexically_relative(root).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }
    sf::Image image(const std::string& file) const
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(path(file))) << file;
        return image;
    }

    static inline int count = 0;
    const std::filesystem::path root = std::filesystem::temp_directory_path()
        / ("glebe-resources-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
};

double difference(const sf::Color& a, const sf::Color& b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) + std::abs(a.a - b.a);
}

// How much harder the wrap-around seams are than the image's ordinary steps
// from one column (or row) to the next: the seam's mean difference over the
// 95th percentile of the inner ones, the larger of the two directions. At
// most about 1 for a tileable image; clearly above 1 when the edges of a
// smooth image do not meet.
double seamRatio(const sf::Image& image)
{
    const int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
    const auto ratio = [&](int lines, int length, auto pixel) {
        std::vector<double> steps;
        for (int line = 0; line < lines; ++line) {
            double total = 0.0;
            for (int i = 0; i < length; ++i)
                total += difference(pixel(line, i), pixel((line + 1) % lines, i));
            steps.push_back(total / length);
        }
        const double seam = steps.back();
        steps.pop_back();
        std::sort(steps.begin(), steps.end());
        return seam / std::max(steps[steps.size() * 95 / 100], 1e-9);
    };
    return std::max(ratio(w, h, [&](int x, int y) { return image.getPixel(x, y); }),
        ratio(h, w, [&](int y, int x) { return image.getPixel(x, y); }));
}

// Part of an image: its left and right (top and bottom) edges no longer meet.
sf::Image crop(const sf::Image& image, unsigned top, unsigned width, unsigned height)
{
    sf::Image part;
    part.create(width, height);
    part.copy(image, 0, 0, sf::IntRect(0, top, width, height));
    return part;
}

// Mean and standard deviation of one channel (0 red, 1 green, 2 blue, 3 alpha).
std::pair<double, double> spread(const sf::Image& image, int channel)
{
    double sum = 0, squares = 0;
    const unsigned w = image.getSize().x, h = image.getSize().y;
    for (unsigned i = 0; i < w * h; ++i) {
        const sf::Color c = image.getPixel(i % w, i / w);
        const double v = channel == 0 ? c.r : channel == 1 ? c.g : channel == 2 ? c.b : c.a;
        sum += v, squares += v * v;
    }
    return { sum / (w * h), std::sqrt(std::max(0.0, squares / (w * h) - sum * sum / (w * h) / (w * h))) };
}

// Decodes a generated sound the way the game's buffers and music do, but
// without opening an audio device, so the checks run on headless machines.
struct DecodedSound
{
    explicit DecodedSound(const std::string& path)
    {
        sf::InputSoundFile file;
        EXPECT_TRUE(file.openFromFile(path)) << path;
        channels = file.getChannelCount();
        sampleRate = file.getSampleRate();
        samples.resize(file.getSampleCount());
        samples.resize(file.read(samples.data(), samples.size()));
    }
    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
    double seconds() const { return sampleRate ? static_cast<double>(frames()) / sampleRate : 0; }
    double at(std::size_t frame, unsigned channel = 0) const
    {
        return samples[frame * channels + channel] / 32768.0;
    }
    // Root mean square of one channel over [from, to) seconds.
    double rms(double from, double to, unsigned channel = 0) const
    {
        const auto first = static_cast<std::size_t>(from * sampleRate),
                   last = static_cast<std::size_t>(to * sampleRate);
        double sum = 0;
        for (std::size_t i = first; i < last; ++i)
            sum += at(i, channel) * at(i, channel);
        return std::sqrt(sum / std::max<std::size_t>(1, last - first));
    }

    unsigned channels = 0, sampleRate = 0;
    std::vector<sf::Int16> samples; // interleaved
};

struct Measures
{
    aiVector3D low { 1e9f, 1e9f, 1e9f }, high { -1e9f, -1e9f, -1e9f };
    aiVector2D lowUv { 1e9f, 1e9f }, highUv { -1e9f, -1e9f };
    // Positive for closed surfaces whose faces wind counter-clockwise outwards.
    double signedVolume = 0;
};

// Imports a model, checked by Assimp's own validation of indices and
// structure, and checks what the game relies on: triangles, texture
// coordinates, and each vertex normal on the side its face winds towards.
void import(Assimp::Importer& importer, const aiScene* scene, Measures& m)
{
    int inward = 0;
    ASSERT_TRUE(scene && scene->mNumMeshes > 0) << importer.GetErrorString();
    for (unsigned n = 0; n < scene->mNumMeshes; ++n) {
        const aiMesh* mesh = scene->mMeshes[n];
        EXPECT_EQ(mesh->mPrimitiveTypes, static_cast<unsigned>(aiPrimitiveType_TRIANGLE));
        ASSERT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0))
            << "normals or texture coordinates missing";
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D &p = mesh->mVertices[v], &uv = mesh->mTextureCoords[0][v];
            m.low = { std::min(m.low.x, p.x), std::min(m.low.y, p.y), std::min(m.low.z, p.z) };
            m.high = { std::max(m.high.x, p.x), std::max(m.high.y, p.y), std::max(m.high.z, p.z) };
            m.lowUv = { std::min(m.lowUv.x, uv.x), std::min(m.lowUv.y, uv.y) };
            m.highUv = { std::max(m.highUv.x, uv.x), std::max(m.highUv.y, uv.y) };
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* i = mesh->mFaces[f].mIndices;
            const aiVector3D &a = mesh->mVertices[i[0]], &b = mesh->mVertices[i[1]],
                             &c = mesh->mVertices[i[2]];
            m.signedVolume += (a * (b ^ c)) / 6.0;
            for (int k = 0; k < 3; ++k)
                inward += ((b - a) ^ (c - a)) * mesh->mNormals[i[k]] <= 0.0f;
        }
    }
    EXPECT_EQ(inward, 0) << "vertex normals against the winding of their face";
}

// Everything the generator makes, made once.
class ResourceGeneratorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<Folder>();
        ResourceGenerator().run(OutputFolder(folder->root));
    }
    static void TearDownTestSuite() { folder.reset(); }
    static std::string caustic(int number)
    {
        char name[64];
        std::snprintf(name, sizeof name, "textures/water/caus5/save.%02d.png", number % 32 + 1);
        return name;
    }

    static inline std::unique_ptr<Folder> folder;
};

} // namespace

// The build reruns the generator when a file of this list is missing or
// stale, so a file the generator writes but the list lacks would never be
// regenerated. Each file has one job, and a relative '/' separated path.
TEST_F(ResourceGeneratorTest, ManifestListsEveryFileWrittenOnce)
{
    std::ifstream manifest("tools/generated_resources.txt");
    ASSERT_TRUE(manifest) << "run from the source root";
    std::vector<std::string> listed, jobs;
    for (std::string line; std::getline(manifest, line);)
        if (!line.empty() && line[0] != '#')
            listed.push_back(line);
    std::sort(listed.begin(), listed.end());
    const ResourceGenerator generator;
    EXPECT_EQ(listed, generator.outputs());
    EXPECT_EQ(listed, folder->written());
    for (const ResourceJob& job : generator.jobs())
        jobs.insert(jobs.end(), job.outputs.begin(), job.outputs.end());
    std::sort(jobs.begin(), jobs.end());
    EXPECT_EQ(jobs, listed) << "a file declared by two jobs";
    for (const std::string& file : listed)
        EXPECT_TRUE(file.find('\\') == std::string::npos && file.front() != '/') << file;
}

// The terrain's layers form texture arrays, so they share one size. Normal
// maps mostly point up; detail maps are grey around the middle so that they
// modulate without darkening.
TEST_F(ResourceGeneratorTest, TexturesTileAndKeepToTheirRanges)
{
    for (const std::string& file : ResourceGenerator().outputs()) {
        if (file.rfind("textures/terrain/", 0) != 0 || file.find("/vegetation/") != std::string::npos)
            continue;
        SCOPED_TRACE(file);
        const sf::Image image = folder->image(file);
        EXPECT_EQ(image.getSize(), sf::Vector2u(512, 512));
        EXPECT_LT(seamRatio(image), 1.2);
        if (file.find("_normal.") != std::string::npos || file.find("_bump.") != std::string::npos) {
            EXPECT_NEAR(spread(image, 0).first, 128, 16);
            EXPECT_NEAR(spread(image, 1).first, 128, 16);
            EXPECT_GT(spread(image, 2).first, 220);
        } else if (file.find("/detail/") != std::string::npos) {
            EXPECT_NEAR(spread(image, 0).first, 128, 10);
            EXPECT_GT(spread(image, 0).second, 15);
            EXPECT_EQ(spread(image, 1), spread(image, 0)) << "coloured";
            EXPECT_EQ(spread(image, 2), spread(image, 0)) << "coloured";
        }
    }
    for (const std::string& file : { std::string("textures/clouds.jpg"), caustic(0) })
        EXPECT_LT(seamRatio(folder->image(file)), 1.2) << file;
    // The measure does notice edges that do not meet.
    EXPECT_GT(seamRatio(crop(folder->image("textures/terrain/rock/rock1_diffuse.jpg"), 0, 300, 300)), 1.5);
}

// The 32 frames form one 3-D texture, so they share a size; played in order
// they move smoothly and the last leads back to the first.
TEST_F(ResourceGeneratorTest, CausticFramesLoopSmoothly)
{
    const auto distance = [](const sf::Image& a, const sf::Image& b) {
        double total = 0;
        for (unsigned y = 0; y < a.getSize().y; ++y)
            for (unsigned x = 0; x < a.getSize().x; ++x)
                total += difference(a.getPixel(x, y), b.getPixel(x, y));
        return total / (a.getSize().x * a.getSize().y);
    };
    std::vector<sf::Image> frames;
    std::vector<double> steps;
    for (int number = 0; number < 32; ++number)
        frames.push_back(folder->image(caustic(number)));
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(frames[i].getSize(), frames[0].getSize()) << caustic(i);
        steps.push_back(distance(frames[i], frames[(i + 1) % 32]));
    }
    const auto [smallest, largest] = std::minmax_element(steps.begin(), steps.end());
    EXPECT_GT(*smallest, 0.0) << "a frame repeats";
    EXPECT_LT(*largest, 2.0 * *smallest) << "the loop jumps somewhere";
    EXPECT_GT(distance(frames[0], frames[16]), 2.0 * *largest) << "frames barely move";
}

// The billboard stands on texture coordinate t = 0, the image's bottom row:
// green blades rooted there thin out upwards, with transparent gaps between.
TEST_F(ResourceGeneratorTest, GrassBillboardStandsOnItsBottomEdge)
{
    const sf::Image grass = folder->image("textures/terrain/vegetation/grass_01/diffus3.tga");
    const unsigned w = grass.getSize().x, h = grass.getSize().y;
    EXPECT_GT(spread(crop(grass, h - h / 8, w, h / 8), 3).first, 0.25 * 255);
    EXPECT_LT(spread(crop(grass, 0, w, h / 8), 3).first, 0.05 * 255);
    int clear = 0, solid = 0, notGreen = 0;
    for (unsigned i = 0; i < w * h; ++i) {
        const sf::Color c = grass.getPixel(i % w, i / w);
        clear += c.a == 0;
        solid += c.a == 255;
        notGreen += c.g <= c.b || c.g <= c.r;
    }
    EXPECT_EQ(notGreen, 0);
    EXPECT_GT(clear, static_cast<int>(w * h / 4));
    EXPECT_GT(solid, static_cast<int>(w * h / 20));
}

// Every sound decodes unclipped at 44.1 kHz. The music is a stereo loop that
// never falls silent, with the notes ringing over the end continuing at the
// start and not one signal twice. The pickaxe strikes once a loop, silent at
// the end; the jackhammer rattles evenly in a loop of whole periods.
TEST_F(ResourceGeneratorTest, SoundsDecodeAndLoopCleanly)
{
    const DecodedSound music(folder->path("music/mainmusic.ogg")),
        pickaxe(folder->path("sounds/pickaxe.wav")), hammer(folder->path("sounds/jackhammer.wav"));
    for (const DecodedSound* sound : { &music, &pickaxe, &hammer }) {
        ASSERT_GT(sound->channels, 0u);
        EXPECT_EQ(sound->sampleRate, 44100u);
        EXPECT_LT(*std::max_element(sound->samples.begin(), sound->samples.end()), 32767) << "clipped";
        EXPECT_GT(*std::min_element(sound->samples.begin(), sound->samples.end()), -32767) << "clipped";
    }
    ASSERT_EQ(music.channels, 2u);
    EXPECT_GT(music.seconds(), 10.0);
    EXPECT_LT(music.seconds(), 40.0);
    double steps = 0, between = 0;
    for (std::size_t i = 1; i < music.frames(); ++i) {
        steps += std::fabs(music.at(i, 0) - music.at(i - 1, 0));
        between += std::fabs(music.at(i, 0) - music.at(i, 1));
    }
    EXPECT_LT(std::fabs(music.at(0) - music.at(music.frames() - 1)), 5.0 * steps / music.frames()) << "seam";
    EXPECT_GT(between / music.frames(), 0.01) << "both channels carry the same signal";
    for (double second = 0; second + 1 <= music.seconds(); ++second)
        for (unsigned channel : { 0u, 1u })
            EXPECT_GT(music.rms(second, second + 1, channel), 0.03) << "quiet at " << second << " s";

    EXPECT_NEAR(pickaxe.seconds(), 1.0, 0.01);
    EXPECT_GT(pickaxe.rms(0.0, 0.1), 50.0 * pickaxe.rms(0.7, 1.0));
    EXPECT_LT(std::fabs(pickaxe.at(pickaxe.frames() - 1)), 0.01);

    const double period = 1.0 / 25.0;
    const int periods = static_cast<int>(std::lround(hammer.seconds() / period));
    EXPECT_NEAR(periods * period, hammer.seconds(), 1e-3);
    std::vector<double> levels;
    for (int i = 0; i < periods; ++i)
        levels.push_back(hammer.rms(i * period, (i + 1) * period));
    const auto [quietest, loudest] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_GT(*quietest, 0.05);
    EXPECT_LT(*loudest, 1.5 * *quietest);
}

// Imported with the post-processing the game uses, each model stands on
// y = 0 with a plausible size and a closed surface facing outwards, its
// texture coordinates in the atlas, and one named material whose textures
// exist in textures/model/.
TEST_F(ResourceGeneratorTest, ModelsLoadAsTheGameLoadsThem)
{
    const struct
    {
        const char* file;
        float lowestTop, highestTop, narrowest, widest, volume;
    } models[] = { { "models/dwarf/dwarf_smaller.obj", 1.05f, 1.35f, 0.0f, 1.05f, 0.05f },
        { "models/forge.obj", 2.0f, 4.0f, 2.0f, 4.0f, 2.0f } };
    for (const auto& model : models) {
        SCOPED_TRACE(model.file);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(folder->path(model.file),
            aiProcessPreset_TargetRealtime_Quality | aiProcess_ValidateDataStructure);
        Measures m;
        ASSERT_NO_FATAL_FAILURE(import(importer, scene, m));
        EXPECT_NEAR(m.low.y, 0.0, 0.01);
        EXPECT_GT(m.high.y, model.lowestTop);
        EXPECT_LT(m.high.y, model.highestTop);
        EXPECT_GT(m.high.x - m.low.x, model.narrowest);
        EXPECT_LT(m.high.x - m.low.x, model.widest);
        EXPECT_GT(m.signedVolume, model.volume);
        EXPECT_TRUE(m.lowUv.x >= 0 && m.lowUv.y >= 0 && m.highUv.x <= 1 && m.highUv.y <= 1)
            << "outside the atlas";
        for (unsigned n = 0; n < scene->mNumMeshes; ++n) {
            const aiMaterial* material = scene->mMaterials[scene->mMeshes[n]->mMaterialIndex];
            EXPECT_STRNE(material->GetName().C_Str(), "DefaultMaterial");
            for (aiTextureType type : { aiTextureType_DIFFUSE, aiTextureType_HEIGHT }) {
                aiString path;
                EXPECT_EQ(material->GetTexture(type, 0, &path), AI_SUCCESS) << "texture type " << type;
                folder->image("textures/model/" + std::string(path.C_Str()));
            }
        }
    }
}

// Each part encloses its whole volume with faces wound outwards, placed,
// turned or mirrored, and keeps its texture coordinates in the atlas
// rectangle it is given.
TEST(MeshBuilderTest, PartsAreClosedAndWoundOutwards)
{
    const double hexagon = 3.0 * std::sqrt(0.75), ball = 4.0 / 3.0 * 3.14159265358979323846;
    const Transform placed = Transform::translate({ 3, 1, -2 }) * Transform::rotate({ 1, 2, 3 }, 40.0);
    const Transform mirrored = Transform::scale({ -1, 1, 2 });
    const UvRect uv { 0.25, 0.5, 0.5, 0.75 };
    MeshBuilder parts[6];
    parts[0].box(placed, { 1, 2, 3 }, uv);
    parts[1].box(mirrored, { 1, 1, 1 }, uv);
    parts[2].cylinder(placed, 1.0, 1.0, 2.0, 6, uv);
    parts[3].cylinder(placed, 1.0, 0.0, 3.0, 6, uv);
    parts[4].cylinder(mirrored, 1.0, 0.0, 3.0, 6, uv);
    parts[5].ellipsoid(placed, { 1, 2, 0.5 }, 24, 48, uv);
    const double volumes[] = { 6.0, 2.0, 2 * hexagon, hexagon, 2 * hexagon, ball };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const std::string obj = parts[i].objText("test", "test.mtl", "test");
        Assimp::Importer importer;
        Measures m;
        import(importer,
            importer.ReadFileFromMemory(obj.data(), obj.size(), aiProcess_ValidateDataStructure, "obj"), m);
        EXPECT_NEAR(m.signedVolume, volumes[i], i == 5 ? 0.1 : 1e-3);
        EXPECT_TRUE(m.lowUv.x >= uv.u0 - 1e-4 && m.lowUv.y >= uv.v0 - 1e-4) << m.lowUv.x << ", " << m.lowUv.y;
        EXPECT_TRUE(m.highUv.x <= uv.u1 + 1e-4 && m.highUv.y <= uv.v1 + 1e-4)
            << m.highUv.x << ", " << m.highUv.y;
    }
}

// A normal map leans away from the slope in OpenGL's convention: rising to
// the right, red below the middle; rising towards the image's top row
// (texture v grows upwards), green below the middle.
TEST(HeightfieldTest, NormalMapsLeanAwayFromTheSlope)
{
    const auto middle = [](double (*height)(double, double)) {
        return Heightfield::sample(16, 16, height).normalMap(8.0).getPixel(8, 8);
    };
    const sf::Color right = middle([](double u, double) { return u; });
    const sf::Color up = middle([](double, double v) { return 1.0 - v; });
    EXPECT_TRUE(right.r < 110 && std::abs(right.g - 128) <= 1) << int(right.r) << ", " << int(right.g);
    EXPECT_TRUE(up.g < 110 && std::abs(up.r - 128) <= 1) << int(up.r) << ", " << int(up.g);
    EXPECT_EQ(Heightfield(4, 4).normalMap(8.0).getPixel(1, 1), sf::Color(128, 128, 255));
}

// Files are written through a temporary renamed over the target, into new
// folders; a failure throws and leaves nothing behind.
TEST(OutputFolderTest, WritesWholeFilesOrNone)
{
    const Folder folder;
    const OutputFolder out(folder.root);
    sf::Image image;
    image.create(4, 4, sf::Color::Red);
    out.saveImage("a/b/red.png", image);
    image.create(4, 4, sf::Color::Blue);
    out.saveImage("a/b/red.png", image);
    EXPECT_EQ(folder.image("a/b/red.png").getPixel(0, 0), sf::Color::Blue);
    std::ofstream(folder.path("blocker")) << "a file where a folder should be";
    EXPECT_ANY_THROW(out.saveImage("blocker/image.png", image));
    EXPECT_ANY_THROW(out.saveImage("unknown.format", image));

    EXPECT_EQ(folder.written(), (std::vector<std::string> { "a/b/red.png", "blocker" }));
}
