#pragma once

#include "Interface/InterfaceComponent.h"

// A rectangle showing a 2D texture (owned elsewhere), for example a window
// onto an offscreen render target. Takes no clicks. Main thread only.
class ImageContainer : public InterfaceComponent
{
public:
    ImageContainer(const std::string& name, unsigned int texture);

    InterfaceComponent* mouseButton(int, int, int, bool) override { return nullptr; }
    void mouseMoved(int, int) override { }
    void mouseDragged(int, int) override { }
    void draw() override;
    void update(double) override { }

private:
    unsigned int texture;
};
