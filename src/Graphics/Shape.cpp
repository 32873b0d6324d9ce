#include "Graphics/Shape.h"

#include "Graphics/ShaderProgram.h"

void Shape::draw()
{
    useProgram(0);
    glDisable(GL_LIGHTING);
    if (!depthTest)
        glDisable(GL_DEPTH_TEST);
    if (wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    if (!vertices.empty()) {
        // Client-side arrays: with a buffer still bound the pointers would be
        // read as offsets into it.
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(ShapeVertex), &vertices[0].x);
        glColorPointer(3, GL_FLOAT, sizeof(ShapeVertex), &vertices[0].r);
        glDrawArrays(mode, 0, vertices.size());
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    if (wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}
