#include "Graphics/FrameBuffer.h"

#include <algorithm>
#include <iostream>

GLErrorInfo describeGLError(GLenum error)
{
    switch (error) {
    case GL_INVALID_ENUM:
        return { "GL_INVALID_ENUM", "an unacceptable value has been specified for an enumerated argument" };
    case GL_INVALID_VALUE:
        return { "GL_INVALID_VALUE", "a numeric argument is out of range" };
    case GL_INVALID_OPERATION:
        return { "GL_INVALID_OPERATION", "the specified operation is not allowed in the current state" };
    case GL_STACK_OVERFLOW:
        return { "GL_STACK_OVERFLOW", "this command would cause a stack overflow" };
    case GL_STACK_UNDERFLOW:
        return { "GL_STACK_UNDERFLOW", "this command would cause a stack underflow" };
    case GL_OUT_OF_MEMORY:
        return { "GL_OUT_OF_MEMORY", "there is not enough memory left to execute the command" };
    case GL_INVALID_FRAMEBUFFER_OPERATION_EXT:
        return { "GL_INVALID_FRAMEBUFFER_OPERATION_EXT",
            "the object bound to FRAMEBUFFER_BINDING_EXT is not \"framebuffer complete\"" };
    default:
        return { "unknown error", "no description" };
    }
}

void checkGLError(const std::string& file, int line)
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    const GLErrorInfo info = describeGLError(error);
    const std::size_t slash = file.find_last_of("\\/");
    const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    std::cout << "An internal OpenGL call failed in " << base << " (" << line << ") : " << info.name << ", "
              << info.description << std::endl;
}

Renderbuffer::Renderbuffer(int width, int height)
    : width(width)
    , height(height)
{
    glGenRenderbuffers(1, &id);
    glBindRenderbuffer(GL_RENDERBUFFER, id);
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

Renderbuffer::~Renderbuffer()
{
    glDeleteRenderbuffers(1, &id);
}

void allocateRenderTarget(const Texture& texture)
{
    glBindTexture(texture.target, texture.id);
    glTexImage2D(
        GL_TEXTURE_2D, 0, GL_RGBA, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glBindTexture(texture.target, 0);
}

void attachColorTexture(const Texture& texture)
{
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.id, 0);
    checkGLError(__FILE__, __LINE__);
}

void attachDepthRenderbuffer(const Renderbuffer& renderbuffer)
{
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer.id);
    checkGLError(__FILE__, __LINE__);
}

std::vector<std::uint8_t> readImagePixels(int width, int height)
{
    const std::size_t row = 4 * static_cast<std::size_t>(std::max(width, 0));
    std::vector<std::uint8_t> pixels(row * static_cast<std::size_t>(std::max(height, 0)));
    if (pixels.empty())
        return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL counts rows from the bottom.
    for (std::size_t low = 0, high = pixels.size() - row; low < high; low += row, high -= row)
        std::swap_ranges(pixels.begin() + low, pixels.begin() + low + row, pixels.begin() + high);
    for (std::size_t alpha = 3; alpha < pixels.size(); alpha += 4)
        pixels[alpha] = 255;
    return pixels;
}
