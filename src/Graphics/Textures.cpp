#include "Graphics/Textures.h"

#include "Game/ResourcePath.h"

#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <condition_variable>
#include <future>
#include <iostream>
#include <map>
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
    static std::map<std::string, Texture*> cache;
    auto found = cache.find(name);
    if (found != cache.end())
        return found->second;

    ImageData image = readImage(textureDirectory + name);
    if (image.pixels.empty())
        return nullptr;
    Texture* texture = new Texture { 0, image.width, image.height, GL_TEXTURE_2D, true };
    glGenTextures(1, &texture->id);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
        image.pixels.data());
    setAnisotropy(GL_TEXTURE_2D);
    glGenerateMipmap(GL_TEXTURE_2D);
    setFiltersAndWrap(GL_TEXTURE_2D, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    cache[name] = texture;
    return texture;
}

Texture* getTextureArray(const std::vector<std::string>& names)
{
    static std::map<std::vector<std::string>, Texture*> cache;
    if (names.empty())
        return nullptr;
    auto found = cache.find(names);
    if (found != cache.end())
        return found->second;

    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(textureDirectory + name);
    ImageData layers = readStack(paths, readImage);
    if (layers.pixels.empty()) {
        std::cout << "Error loading textures for texture array: different texture sizes!\n";
        return nullptr;
    }
    Texture* texture = new Texture { 0, layers.width, layers.height, GL_TEXTURE_2D_ARRAY, true };
    glGenTextures(1, &texture->id);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture->id);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA, layers.width, layers.height, names.size(), 0, GL_RGBA,
        GL_UNSIGNED_BYTE, layers.pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
    setAnisotropy(GL_TEXTURE_2D_ARRAY);
    setFiltersAndWrap(GL_TEXTURE_2D_ARRAY, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    cache[names] = texture;
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
    glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, slices.width, slices.height, paths.size(), 0, GL_RGBA,
        GL_UNSIGNED_BYTE, slices.pixels.data());
    glGenerateMipmap(GL_TEXTURE_3D);
    setFiltersAndWrap(GL_TEXTURE_3D, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_3D, 0);
    return id;
}
