#include "Interface/ImageContainer.h"

#include "Graphics/ShaderProgram.h"
#include "Interface/Draw2D.h"

#include <GL/glew.h>

ImageContainer::ImageContainer(const std::string& name, unsigned int texture)
    : InterfaceComponent(name, "", ImageKind, 0, 0, 0, 0)
    , texture(texture)
{
}

void ImageContainer::draw()
{
    const Draw2D state;
    glEnable(GL_TEXTURE_2D);
    if (basic) {
        useProgram(basic->program);
        basic->setTexture2D("texture", 0, texture);
        // Exact texel colours: the overlay program otherwise takes colourless
        // texels for glyph coverage.
        basic->setInt("textured", 1);
    } else {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(x, y);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(right, y);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(right, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(x, top);
    glEnd();
    if (basic)
        basic->setInt("textured", 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_3D, 0);
    glBindTexture(GL_TEXTURE_2D_ARRAY_EXT, 0);
}
