#include "Graphics/Textures.h"

#include "Game/ResourcePath.h"

#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <future>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace {

const std::string textureDirectory = "resources\\textures\\";
const GLfloat anisotropy = 4.0f;

// Rows in the file's order; empty when the file cannot be read.
ImageData decodeFile(const std::string& path)
{
    sf::Image image;
    image.loadFromFile(resourcePath(path));
    ImageData data;
    const sf::Vector2u size = image.getSize();
    if (size.x == 0 || size.y == 0)
        return data;
    data.width = size.x;
    data.height = size.y;
    const std::uint8_t* pixels = image.getPixelsPtr();
    data.pixels.assign(pixels, pixels + static_cast<std::size_t>(size.x) * size.y * 4);
    return data;
}

// Images decoded ahead by prefetchImages, each with the number of reads it
// still serves. `mutex` guards the map; `decoded` wakes readers waiting for
// an image the thread has not finished.
struct Prefetch
{
    struct Entry
    {
        int reads = 0;
        bool ready = false;
        ImageData image;
    };
    std::mutex mutex;
    std::condition_variable decoded;
    std::map<std::string, Entry> entries;
    // Joined at exit, so the thread never outlives what it writes to.
    std::future<void> worker;

    static Prefetch& instance()
    {
        static Prefetch prefetch;
        return prefetch;
    }

    // The image for one read of the path, or nothing when it was not prefetched.
    std::optional<ImageData> take(const std::string& path)
    {
        std::unique_lock<std::mutex> lock(mutex);
        auto found = entries.find(path);
        if (found == entries.end())
            return std::nullopt;
        decoded.wait(lock, [&] { return found->second.ready; });
        if (--found->second.reads > 0)
            return found->second.image;
        ImageData image = std::move(found->second.image);
        entries.erase(found);
        return image;
    }
};

ImageData decode(const std::string& path, bool flip)
{
    std::optional<ImageData> prefetched = Prefetch::instance().take(path);
    ImageData data = prefetched ? std::move(*prefetched) : decodeFile(path);
    if (data.pixels.empty()) {
        std::cout << "Error loading image data!\n";
        return data;
    }
    if (flip) {
        const std::size_t rowBytes = static_cast<std::size_t>(data.width) * 4;
        for (int row = 0; row < data.height / 2; ++row)
            std::swap_ranges(data.pixels.begin() + row * rowBytes, data.pixels.begin() + (row + 1) * rowBytes,
                data.pixels.begin() + (data.height - 1 - row) * rowBytes);
    }
    return data;
}

// Reads the images in order and packs them one after the other; empty when
// there are none, one is unreadable (it has no size) or their sizes differ.
ImageData readStack(const std::vector<std::string>& paths, ImageData (*read)(const std::string&))
{
    ImageData stack;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ImageData image = read(paths[i]);
        if (image.pixels.empty())
            return ImageData();
        if (i == 0) {
            stack.width = image.width;
            stack.height = image.height;
        } else if (image.width != stack.width || image.height != stack.height) {
            return ImageData();
        }
        stack.pixels.insert(stack.pixels.end(), image.pixels.begin(), image.pixels.end());
    }
    return stack;
}

// One mipmap level of a 2D texture, a 2D array (layers in `depth`) or a 3D
// texture, RGBA.
struct Level
{
    int width;
    int height;
    int depth;
    std::vector<std::uint8_t> pixels;
};

// The next level down: each texel the mean of the 2 x 2 texels (2 x 2 x 2
// when `halveDepth`) it covers, edges repeated for odd sizes.
Level halve(const Level& in, bool halveDepth)
{
    Level out { std::max(1, in.width / 2), std::max(1, in.height / 2), halveDepth ? std::max(1, in.depth / 2) : in.depth,
        {} };
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * out.depth * 4);
    const int depthSpan = halveDepth ? 2 : 1;
    const int count = 4 * depthSpan;
    auto texel = [&in](int x, int y, int z) {
        return &in.pixels[((static_cast<std::size_t>(std::min(z, in.depth - 1)) * in.height + std::min(y, in.height - 1))
                              * in.width
                              + std::min(x, in.width - 1))
            * 4];
    };
    std::uint8_t* target = out.pixels.data();
    for (int z = 0; z < out.depth; ++z)
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x, target += 4)
                for (int channel = 0; channel < 4; ++channel) {
                    int sum = count / 2;
                    for (int dz = 0; dz < depthSpan; ++dz)
                        for (int dy = 0; dy < 2; ++dy)
                            for (int dx = 0; dx < 2; ++dx)
                                sum += texel(2 * x + dx, 2 * y + dy, z * depthSpan + dz)[channel];
                    target[channel] = static_cast<std::uint8_t>(sum / count);
                }
    return out;
}

// Per layer of a level, the share of texels whose alpha, times `scale`,
// reaches `cutoff` (0 to 255).
std::vector<double> coverage(const Level& level, double scale, double cutoff)
{
    const std::size_t texels = static_cast<std::size_t>(level.width) * level.height;
    std::vector<double> shares;
    for (int layer = 0; layer < level.depth; ++layer) {
        std::size_t covered = 0;
        for (std::size_t i = 0; i < texels; ++i)
            covered += level.pixels[(layer * texels + i) * 4 + 3] * scale >= cutoff;
        shares.push_back(static_cast<double>(covered) / static_cast<double>(texels));
    }
    return shares;
}

// Scales each layer's alpha so that as many of its texels pass the cutoff as
// `wanted` says: averaging thins the alpha of thin shapes (blades of grass)
// level by level, until an alpha test lets nothing through.
void keepCoverage(Level& level, const std::vector<double>& wanted, double cutoff)
{
    const std::size_t texels = static_cast<std::size_t>(level.width) * level.height;
    for (int layer = 0; layer < level.depth; ++layer) {
        Level one { level.width, level.height, 1,
            std::vector<std::uint8_t>(level.pixels.begin() + static_cast<std::ptrdiff_t>(layer * texels * 4),
                level.pixels.begin() + static_cast<std::ptrdiff_t>((layer + 1) * texels * 4)) };
        double low = 0.0, high = 64.0;
        for (int round = 0; round < 16; ++round) {
            const double middle = 0.5 * (low + high);
            (coverage(one, middle, cutoff)[0] < wanted[static_cast<std::size_t>(layer)] ? low : high) = middle;
        }
        for (std::size_t i = 0; i < texels; ++i) {
            std::uint8_t& alpha = level.pixels[(layer * texels + i) * 4 + 3];
            alpha = static_cast<std::uint8_t>(std::min(255.0, std::round(alpha * high)));
        }
    }
}

// Uploads every mipmap level, made here: the driver's own generation runs a
// shader that a software rasteriser first has to compile, which took most
// of the time start-up spent on textures. With an alpha cutoff above 0,
// every level keeps the share of texels passing it that the image has.
void uploadWithMipmaps(GLenum target, GLint internalFormat, Level level, float alphaCutoff = 0.0f)
{
    const double cutoff = alphaCutoff * 255.0;
    const std::vector<double> wanted = alphaCutoff > 0.0f ? coverage(level, 1.0, cutoff) : std::vector<double>();
    for (GLint index = 0;; ++index) {
        if (index > 0 && !wanted.empty())
            keepCoverage(level, wanted, cutoff);
        if (target == GL_TEXTURE_2D)
            glTexImage2D(target, index, internalFormat, level.width, level.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                level.pixels.data());
        else
            glTexImage3D(target, index, internalFormat, level.width, level.height, level.depth, 0, GL_RGBA,
                GL_UNSIGNED_BYTE, level.pixels.data());
        if (level.width == 1 && level.height == 1 && (target != GL_TEXTURE_3D || level.depth == 1))
            return;
        level = halve(level, target == GL_TEXTURE_3D);
    }
}

void setAnisotropy(GLenum target)
{
    if (GLEW_EXT_texture_filter_anisotropic)
        glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
}

void setFiltersAndWrap(GLenum target, GLint wrap)
{
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    if (target == GL_TEXTURE_3D)
        glTexParameteri(target, GL_TEXTURE_WRAP_R, wrap);
}

} // namespace

void prefetchImages(const std::vector<std::string>& paths)
{
    Prefetch& prefetch = Prefetch::instance();
    std::vector<std::string> unique;
    {
        std::lock_guard<std::mutex> lock(prefetch.mutex);
        for (const std::string& path : paths)
            if (prefetch.entries[path].reads++ == 0)
                unique.push_back(path);
    }
    if (prefetch.worker.valid())
        prefetch.worker.wait();
    prefetch.worker = std::async(std::launch::async, [&prefetch, unique] {
        for (const std::string& path : unique) {
            ImageData image = decodeFile(path);
            std::lock_guard<std::mutex> lock(prefetch.mutex);
            Prefetch::Entry& entry = prefetch.entries[path];
            entry.image = std::move(image);
            entry.ready = true;
            prefetch.decoded.notify_all();
        }
    });
}

ImageData readImage(const std::string& path)
{
    return decode(path, true);
}

ImageData readImageUnflipped(const std::string& path)
{
    return decode(path, false);
}

Texture* getTexture2D(const std::string& name)
{
    // Textures live as long as the program; the records are freed at exit,
    // the GL names with the context.
    static std::map<std::string, std::unique_ptr<Texture>> cache;
    auto found = cache.find(name);
    if (found != cache.end())
        return found->second.get();

    ImageData image = readImage(textureDirectory + name);
    if (image.pixels.empty())
        return nullptr;
    Texture* texture = (cache[name] = std::make_unique<Texture>(Texture { 0, image.width, image.height, GL_TEXTURE_2D, true })).get();
    glGenTextures(1, &texture->id);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    uploadWithMipmaps(GL_TEXTURE_2D, GL_RGBA8, { image.width, image.height, 1, std::move(image.pixels) });
    setAnisotropy(GL_TEXTURE_2D);
    setFiltersAndWrap(GL_TEXTURE_2D, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

Texture* getTextureArray(const std::vector<std::string>& names, float alphaCutoff)
{
    static std::map<std::pair<std::vector<std::string>, float>, std::unique_ptr<Texture>> cache;
    if (names.empty())
        return nullptr;
    const auto key = std::make_pair(names, alphaCutoff);
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second.get();

    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(textureDirectory + name);
    ImageData layers = readStack(paths, readImage);
    if (layers.pixels.empty()) {
        std::cout << "Error loading textures for texture array: different texture sizes!\n";
        return nullptr;
    }
    Texture* texture
        = (cache[key] = std::make_unique<Texture>(Texture { 0, layers.width, layers.height, GL_TEXTURE_2D_ARRAY, true }))
              .get();
    glGenTextures(1, &texture->id);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture->id);
    uploadWithMipmaps(GL_TEXTURE_2D_ARRAY, GL_RGBA,
        { layers.width, layers.height, static_cast<int>(names.size()), std::move(layers.pixels) }, alphaCutoff);
    setAnisotropy(GL_TEXTURE_2D_ARRAY);
    setFiltersAndWrap(GL_TEXTURE_2D_ARRAY, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    return texture;
}

GLuint createTexture3D(const std::vector<std::string>& paths, bool repeat)
{
    if (paths.empty())
        return 0;
    ImageData slices = readStack(paths, readImageUnflipped);
    if (slices.pixels.empty()) {
        std::cout << "Error loading textures for 3d texture! Different sizes!\n";
        return 0;
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_3D, id);
    uploadWithMipmaps(
        GL_TEXTURE_3D, GL_RGBA8, { slices.width, slices.height, static_cast<int>(paths.size()), std::move(slices.pixels) });
    setFiltersAndWrap(GL_TEXTURE_3D, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_3D, 0);
    return id;
}
