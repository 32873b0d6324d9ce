#include "Terrain/DepthPick.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <algorithm>

Vector3 unprojectPixel(int x, int y)
{
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    x = std::clamp(x, viewport[0], viewport[0] + viewport[2] - 1);
    y = std::clamp(y, viewport[1], viewport[1] + viewport[3] - 1);

    GLfloat depth = 1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    Vector3 world;
    gluUnProject(x, y, depth, modelView, projection, viewport, &world.x, &world.y, &world.z);
    return world;
}
