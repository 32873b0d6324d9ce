#include "Game/Window.h"

#include "Game/EventDispatcher.h"

Window& Window::getInstance()
{
    static Window instance;
    return instance;
}

Window::Window()
{
    EventDispatcher::getInstance().addListener(this);
}

const double* Window::setClearColor(double r, double g, double b)
{
    if (r >= 0 && g >= 0 && b >= 0) {
        clearColor[0] = r;
        clearColor[1] = g;
        clearColor[2] = b;
    }
    return clearColor;
}

void Window::onResize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

void Window::onFocus(bool) {}
