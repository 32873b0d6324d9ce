#pragma once

#include "Interface/InterfaceComponent.h"

// A panel of two children, one above the other or side by side. Added to the
// interface as a window it gets a title bar to move it by and a grip at its
// top-right corner to resize it by; nested containers have neither. The
// children are owned elsewhere. Main thread only.
class ComponentContainer : public InterfaceComponent
{
public:
    ComponentContainer(const std::string& name, const std::string& title);

    // Replace a child (the old one is only let go), hand it the colours and
    // lay out. false for a null child.
    bool setFirst(InterfaceComponent* child);
    bool setSecond(InterfaceComponent* child);

    void setStacked(bool on);
    // The first child's share of the inner area, 0 to 1.
    void setSplit(double share);
    void setFramed(bool on) { framed = on; }
    bool isFramed() const { return framed; }
    void setVisible(bool on) { visible = on; }
    bool isVisible() const { return visible; }
    bool isMoving() const { return moving; }
    bool isResizing() const { return resizing; }

    // Never smaller than the title; once sized with setSize, the children
    // fill the inner area on every fit.
    void fitToText() override;
    InterfaceComponent* find(const std::string& name) override;
    void setPosition(int x, int y) override;
    void setSize(int width, int height) override;
    void setColour(double r, double g, double b) override;
    void setSecondColour(double r, double g, double b) override;

    InterfaceComponent* mouseButton(int button, int x, int y, bool pressed) override;
    void mouseMoved(int x, int y) override;
    void mouseDragged(int x, int y) override;
    void draw() override;
    void update(double dt) override;

    // Height of a window's title bar above the body.
    static constexpr int titleBarHeight = 17;
    // Side of the resize grip square.
    static constexpr int gripSize = 10;

private:
    bool adopt(InterfaceComponent*& slot, InterfaceComponent* child);
    void layout();

    InterfaceComponent* first = nullptr;
    InterfaceComponent* second = nullptr;
    bool stacked = false;
    double split = 0.5;
    bool framed = false;
    bool visible = true;
    bool hovered = false;
    bool moving = false;
    bool resizing = false;
    int resizeStartWidth = 0, resizeStartHeight = 0;
    int dragX = 0, dragY = 0;
    bool autoLayout = false;
};
