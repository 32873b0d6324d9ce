#include "Game/Lights.h"

#include <GL/glew.h>

namespace {
Lights* instance = nullptr;

void setLight(GLenum light, const float* ambient, const float* diffuse, const float* specular,
    const float* position)
{
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, position);
}

void fillPosition(float* target, const double* source)
{
    for (int i = 0; i < 3; ++i)
        target[i] = static_cast<float>(source[i]);
}
}

Lights::Lights()
{
    fillPosition(position0, lightPosition0);
    fillPosition(position2, lightPosition2);
    instance = this;
}

Lights::~Lights()
{
    if (instance == this)
        instance = nullptr;
}

Lights* Lights::getInstance()
{
    return instance;
}

void Lights::configure()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    setLight(GL_LIGHT0, ambientA, diffuse0, specularA, position0);
    setLight(GL_LIGHT1, ambientA, diffuse1, specularA, position1);
    setLight(GL_LIGHT2, ambientB, diffuse2, specularB, position2);
}

void Lights::position()
{
    fillPosition(position0, lightPosition0);
    fillPosition(position2, lightPosition2);
    glPushMatrix();
    glRotatef(angle, 1.0f, 0.0f, 0.0f);
    glLightfv(GL_LIGHT0, GL_POSITION, position0);
    glLightfv(GL_LIGHT1, GL_POSITION, position0);
    glLightfv(GL_LIGHT2, GL_POSITION, position2);
    glPopMatrix();
}

void Lights::setLight0(bool on)
{
    light0On = on;
    on ? glEnable(GL_LIGHT0) : glDisable(GL_LIGHT0);
}

void Lights::setLight2(bool on)
{
    light2On = on;
    on ? glEnable(GL_LIGHT2) : glDisable(GL_LIGHT2);
}
