#pragma once

#include <string>
#include <utility>

// Base of every on-screen interface element: a rectangle in window pixels
// (origin bottom left, y up) with a name for lookup, a text and two colours.
// A component is never smaller than its text. Main thread only.
class InterfaceComponent
{
public:
    enum Kind
    {
        ButtonKind = 9,
        TextFieldKind = 19,
        ContainerKind = 39,
        ImageKind = 49
    };
    // Mouse buttons as the interface numbers them.
    enum MouseButton
    {
        LeftButton = 0,
        RightButton = 1
    };

    InterfaceComponent(
        const std::string& name, const std::string& text, Kind kind, int x, int y, int width, int height);
    virtual ~InterfaceComponent() = default;
    InterfaceComponent(const InterfaceComponent&) = delete;
    InterfaceComponent& operator=(const InterfaceComponent&) = delete;

    // Raises the size to hold the text; subclasses lay out their content here.
    virtual void fitToText();
    virtual std::pair<int, int> getPosition() const { return { x, y }; }
    virtual std::pair<int, int> getSize() const { return { width, height }; }
    virtual std::string getName() const { return name; }
    virtual std::string getText() const { return text; }
    // This component, or the one of its children, named exactly `name`; else null.
    virtual InterfaceComponent* find(const std::string& name);
    virtual void setPosition(int x, int y);
    virtual void setSize(int width, int height);
    virtual void setColour(double r, double g, double b);
    virtual void setSecondColour(double r, double g, double b);
    virtual void setText(const std::string& text);

    // `pressed` is false for a release. Returns the component that took the event, or null.
    virtual InterfaceComponent* mouseButton(int button, int x, int y, bool pressed) = 0;
    virtual void mouseMoved(int x, int y) = 0;
    virtual void mouseDragged(int x, int y) = 0;
    // GL context current, in the 2D overlay's window-pixel projection.
    virtual void draw() = 0;
    virtual void update(double dt) = 0;

    Kind getKind() const { return kind; }
    int getRight() const { return right; }
    int getTop() const { return top; }
    // Inclusive of the edges.
    bool contains(int px, int py) const { return px >= x && px <= right && py >= y && py <= top; }

protected:
    void updateEdges();
    // The base rule of fitToText: never smaller than the text.
    void growToText();

    int x, y;
    int right = 0, top = 0;
    int width, height;
    std::string name;
    std::string text;
    int textWidth = 0, textHeight = 0;
    double colour[3] = { 0.8, 0.8, 0.8 };
    double secondColour[3] = { 0.5, 0.5, 0.5 };
    double highlight = 0.0;

private:
    Kind kind;
};
