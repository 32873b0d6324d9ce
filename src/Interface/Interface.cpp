#include "Interface/Interface.h"

#include "Game/Window.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/Draw2D.h"
#include "Interface/TextField.h"
#include "Interface/TextMeasure.h"

#include <GL/glew.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {
Interface* instance = nullptr;

const char* const reservedPrefix = "SC_";
const std::string gotoPagePrefix = "SC_GOTO_PAGE_";

const char* const credits
    = "Glebeworks lets you walk over, fly over and reshape a procedurally generated voxel planet: "
      "dig and repaint its terrain, watch water flow back into the hollows you leave, and follow "
      "the sun through the planet's day.\n"
      "\n"
      "Built with:\n"
      "  SFML - window, input, sound and music\n"
      "  GLEW - OpenGL extensions\n"
      "  FTGL and FreeType - text, set in the DejaVu fonts\n"
      "  libnoise - coherent noise for the terrain\n"
      "  Assimp - model loading\n"
      "\n"
      "The Transvoxel tables that mesh the terrain are the work of Eric Lengyel.";

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}
}

Interface::Interface()
{
    instance = this;
}

Interface::~Interface()
{
    if (instance == this)
        instance = nullptr;
}

Interface* Interface::getInstance()
{
    return instance;
}

template <class T> T* Interface::own(std::unique_ptr<T> component)
{
    T* raw = component.get();
    owned.push_back(std::move(component));
    return raw;
}

void Interface::buildMenus()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    menuOpen = false;
    loading = false;
    focusedField = nullptr;
    colourScheme = 10;
    pageCount = 0;
    currentPage = addPage(0, "Main Menu");
    exitButton = own(std::make_unique<Button>("SC_EXIT_BUTTON", "Exit Program"));
    returnButton = own(std::make_unique<Button>("SC_RETURN_BUTTON", "Return to Program"));
    addPageButton(0, returnButton);
    addPageButton(0, exitButton);
    randomiseBackground();
    applyColourScheme();
}

void Interface::addAboutPages()
{
    const int about = addPage(0, "About");
    const int creators = addPage(about, "About the Creators");
    TextField* aboutText = own(std::make_unique<TextField>("TXT_ABOUT", credits, true));
    aboutText->setSize(600, 205);
    addPageText(about, aboutText);
    addPageText(creators, own(std::make_unique<TextField>("TXT_AUTHOR", "<ABOUT STUFF>", false)));
    applyColourScheme();
}

int Interface::addPage(int parent, const std::string& name)
{
    if (pageCount >= maxPages || (pageCount > 0 && !isPage(parent)))
        return -1;
    if (pageCount == 0) {
        pageNames[0] = name;
        pageCount = 1;
        return 0;
    }
    const int page = pageCount++;
    pageNames[page] = name;
    addPageButton(parent, own(std::make_unique<Button>(gotoPagePrefix + std::to_string(page), name)));
    addPageButton(page, own(std::make_unique<Button>(gotoPagePrefix + std::to_string(parent), "Back")));
    layoutPending = true;
    return page;
}

void Interface::placeOnPage(int page, InterfaceComponent* component)
{
    // The main menu keeps its first entry ("Return to Program") lowest and its
    // last ("Exit Program") highest; later entries go in between.
    Group& entries = pages[page];
    if (page == 0 && !entries.empty())
        entries.insert(entries.begin() + 1, component);
    else
        entries.push_back(component);
    layoutPending = true;
}

bool Interface::addPageButton(int page, Button* button)
{
    if (!isPage(page) || !button)
        return false;
    button->setSize(0, 0);
    components.push_back(button);
    placeOnPage(page, button);
    return true;
}

bool Interface::addPageText(int page, TextField* field)
{
    if (!isPage(page) || !field || !isNameAvailable(field->getName()))
        return false;
    components.push_back(field);
    placeOnPage(page, field);
    return true;
}

bool Interface::addComponent(InterfaceComponent* component, int placement)
{
    if (!component || !isNameAvailable(component->getName()))
        return false;
    component->setSize(0, 0);
    if (component->getKind() == InterfaceComponent::TextFieldKind)
        static_cast<TextField*>(component)->setFitToOneLine(true);
    components.push_back(component);
    switch (placement) {
    case TopRow:
        topRow.push_back(component);
        break;
    case BottomRow:
        bottomRow.push_back(component);
        break;
    case LeftColumn:
        leftColumn.push_back(component);
        break;
    case RightColumn:
        rightColumn.push_back(component);
        break;
    default:
        break;
    }
    layoutPending = true;
    return true;
}

bool Interface::addWindow(ComponentContainer* window)
{
    if (!window || !isNameAvailable(window->getName()))
        return false;
    components.push_back(window);
    windows.push_back(window);
    window->setFramed(true);
    const Window& area = Window::getInstance();
    placeWindow(*window, area.width, area.height);
    return true;
}

bool Interface::isNameAvailable(const std::string& name) const
{
    return !startsWith(name, reservedPrefix) && !findComponent(name);
}

InterfaceComponent* Interface::findComponent(const std::string& name) const
{
    for (InterfaceComponent* component : components)
        if (InterfaceComponent* found = component->find(name))
            return found;
    return nullptr;
}

void Interface::activate(InterfaceComponent* component)
{
    const std::string name = component->getName();
    if (!startsWith(name, reservedPrefix) || component->getKind() != InterfaceComponent::ButtonKind
        || static_cast<Button*>(component)->getState() != Button::Idle)
        return;
    if (exitButton && name == exitButton->getName()) {
        Window::getInstance().running = false;
    } else if (returnButton && name == returnButton->getName()) {
        menuOpen = false;
    } else if (startsWith(name, gotoPagePrefix)) {
        const std::string number = name.substr(gotoPagePrefix.size());
        if (!number.empty() && number.size() <= 2
            && std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c) != 0; })
            && isPage(std::stoi(number)))
            currentPage = std::stoi(number);
    }
}

void Interface::focus(TextField* field)
{
    if (focusedField && focusedField != field)
        focusedField->setHighlighted(false);
    focusedField = field;
}

bool Interface::keyPressed(sf::Keyboard::Key code, bool shift)
{
    if (code == sf::Keyboard::Escape) {
        // Typing never follows the user into another page or back into play.
        focus(nullptr);
        if (!menuOpen) {
            menuOpen = true;
            randomiseBackground();
        } else if (currentPage == 0) {
            menuOpen = false;
        } else {
            for (InterfaceComponent* component : pages[currentPage]) {
                if (startsWith(component->getName(), gotoPagePrefix)) {
                    activate(component);
                    break;
                }
            }
        }
        return menuOpen;
    }
    bool typed = false;
    if (focusedField) {
        if (code == sf::Keyboard::Backspace) {
            focusedField->deleteLastCharacter();
            typed = true;
        } else if (const char c = TextField::characterForKey(code, shift)) {
            typed = focusedField->appendCharacter(c);
        }
    }
    return menuOpen || typed;
}

bool Interface::mouseButton(int button, int x, int y, bool pressed)
{
    InterfaceComponent* hit = nullptr;
    if (menuOpen) {
        for (InterfaceComponent* component : pages[currentPage])
            if ((hit = component->mouseButton(button, x, y, pressed)))
                break;
    } else {
        for (const Group* group : { &leftColumn, &rightColumn, &topRow, &bottomRow }) {
            for (InterfaceComponent* component : *group) {
                if (InterfaceComponent* taken = component->mouseButton(button, x, y, pressed)) {
                    hit = taken;
                    break;
                }
            }
        }
        // The last window drawn is the one on top, so it is asked first.
        for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
            if (InterfaceComponent* taken = (*window)->mouseButton(button, x, y, pressed)) {
                hit = taken;
                break;
            }
        }
    }
    if (hit) {
        if (hit->getKind() == InterfaceComponent::ButtonKind) {
            focus(nullptr);
            activate(hit);
        } else if (hit->getKind() == InterfaceComponent::TextFieldKind) {
            focus(static_cast<TextField*>(hit));
        }
    } else if (pressed) {
        focus(nullptr);
    }
    return menuOpen || hit;
}

bool Interface::mouseMoved(int x, int y)
{
    for (InterfaceComponent* component : components)
        component->mouseMoved(x, y);
    return menuOpen;
}

bool Interface::mouseDragged(int x, int y)
{
    bool windowHeld = false;
    for (ComponentContainer* window : windows) {
        window->mouseDragged(x, y);
        windowHeld = windowHeld || window->isMoving() || window->isResizing();
    }
    return menuOpen || windowHeld;
}

bool Interface::update(double dt)
{
    if (layoutPending) {
        const Window& window = Window::getInstance();
        resize(window.width, window.height);
        applyColourScheme();
        layoutPending = false;
    }
    if (menuOpen || loading)
        driftBackground(dt);
    for (InterfaceComponent* component : components)
        component->update(dt);
    return menuOpen || loading;
}

void Interface::randomiseBackground()
{
    for (int i = 0; i < 3; ++i) {
        background[i] = (std::rand() % 100) / 255.0;
        backgroundRising[i] = true;
    }
}

void Interface::driftBackground(double dt)
{
    // Each channel wanders between 1/255 and 100/255, ten times faster while loading.
    const double speed = loading ? 200.0 : 20.0;
    for (int i = 0; i < 3; ++i) {
        background[i] += (backgroundRising[i] ? 1.0 : -1.0) * speed * dt * (std::rand() % 255) / 127500.0;
        if (background[i] > static_cast<double>(100.0f / 255.0f))
            backgroundRising[i] = false;
        else if (background[i] < static_cast<double>(1.0f / 255.0f))
            backgroundRising[i] = true;
    }
}

void Interface::applyColourScheme()
{
    double r = 0.0, g = 0.0, b = 0.0;
    if (colourScheme == 10) {
        r = g = b = 0.5;
    } else if (colourScheme == 20) {
        r = static_cast<double>(0.2f);
        g = 0.5;
        b = 1.0;
    }
    for (InterfaceComponent* component : components) {
        component->setColour(r, g, b);
        component->setSecondColour(r, g, b);
    }
}

void Interface::resize(int w, int h)
{
    // Sizes first, so the groups are centred on the sizes they will have.
    const auto column = [&](Group& group, bool rightEdge) {
        int total = 0;
        for (InterfaceComponent* component : group) {
            component->setSize(100, 25);
            total += component->getSize().second + 5;
        }
        int y = (h - (total - 5)) / 2;
        for (InterfaceComponent* component : group) {
            const auto size = component->getSize();
            component->setPosition(rightEdge ? w - 5 - size.first : 5, y);
            y += size.second + 5;
        }
    };
    const auto row = [&](Group& group, bool topEdge) {
        int total = 0;
        for (InterfaceComponent* component : group) {
            component->setSize(100, 25);
            total += component->getSize().first + 5;
        }
        int x = (w - (total - 5)) / 2;
        for (InterfaceComponent* component : group) {
            const auto size = component->getSize();
            component->setPosition(x, topEdge ? h - 5 - size.second : 5);
            x += size.first + 5;
        }
    };
    column(leftColumn, false);
    column(rightColumn, true);
    row(topRow, true);
    row(bottomRow, false);
    for (ComponentContainer* window : windows)
        placeWindow(*window, w, h);

    for (int page = 0; page < pageCount; ++page) {
        int total = 0;
        for (InterfaceComponent* component : pages[page]) {
            if (component->getKind() == InterfaceComponent::ButtonKind)
                component->setSize(200, 30);
            total += component->getSize().second + 10;
        }
        int y = ((h - total) + 10) / 2;
        for (InterfaceComponent* component : pages[page]) {
            const auto size = component->getSize();
            component->setPosition(w / 2 - size.first / 2, y);
            y += size.second + 10;
        }
        const auto title = TextMeasure::size(pageNames[page], Fonts::Title);
        // A full page pushes its title up, clear of its top entry.
        titlePositions[page] = { (w - title.first) / 2, std::max(((h - title.second) * 5) / 6, y + 10) };
    }
}

// A window, title bar included, goes inside the w x h area, then below the top
// row, above the bottom row and beside the columns wherever it overlaps them.
// One too large to fit keeps its title bar on screen, where it can be taken
// and moved.
void Interface::placeWindow(ComponentContainer& window, int w, int h) const
{
    const int gap = 5;
    const int bar = ComponentContainer::titleBarHeight;
    const int width = window.getSize().first;
    const int height = window.getSize().second;
    int x = window.getPosition().first;
    int y = window.getPosition().second;
    const auto keepInside = [&] {
        x = std::max(0, std::min(x, w - width));
        y = std::min(std::max(y, 0), h - bar - height);
    };
    keepInside();
    for (const Group* group : { &topRow, &bottomRow, &leftColumn, &rightColumn }) {
        for (const InterfaceComponent* component : *group) {
            const auto [left, bottom] = component->getPosition();
            if (x >= component->getRight() || x + width <= left || y >= component->getTop()
                || y + height + bar <= bottom)
                continue;
            if (group == &topRow)
                y = bottom - gap - bar - height;
            else if (group == &bottomRow)
                y = component->getTop() + gap;
            else if (group == &leftColumn)
                x = component->getRight() + gap;
            else
                x = left - gap - width;
        }
    }
    keepInside();
    window.setPosition(x, y);
}

void Interface::drawBackground() const
{
    const Window& window = Window::getInstance();
    Draw2D().drawQuad(0, 0, window.width, window.height,
        { static_cast<float>(background[0]), static_cast<float>(background[1]),
            static_cast<float>(background[2]), 1.0f },
        { 0.0f, 0.0f, 0.0f, 1.0f });
}

void Interface::drawLoadingScreen(double progress) const
{
    glBindTexture(GL_TEXTURE_3D, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    drawBackground();
    const Window& window = Window::getInstance();
    const int w = window.width;
    const int h = window.height;
    const int length = static_cast<int>(w / 2.0 * std::clamp(progress, 0.0, 100.0) / 100.0);
    const int y0 = (4 * h) / 10;
    const Draw2D paint;
    paint.drawQuad(w / 4, y0 - 5, (3 * w) / 4, y0, { 1.0f, 1.0f, 1.0f, 0.12f });
    paint.drawQuad(w / 4, y0 - 5, w / 4 + length, y0, { 0.3f, 1.0f, 0.3f, 1.0f });
    const Rgba white { 1.0f, 1.0f, 1.0f, 1.0f };
    paint.drawLineStrip({ { w / 4, y0 + 2 }, { w / 4, y0 - 7 } }, white);
    paint.drawLineStrip({ { (3 * w) / 4, y0 - 7 }, { (3 * w) / 4, y0 + 2 } }, white);
    const std::string title = "L O A D I N G";
    const auto size = TextMeasure::size(title, Fonts::Title);
    paint.drawText(title, (w - size.first) / 2.0f, (h - size.second) / 2.0f, white, Fonts::Title);
}

void Interface::draw(double loadingProgress)
{
    if (loading) {
        drawLoadingScreen(loadingProgress);
    } else if (menuOpen) {
        drawBackground();
        for (InterfaceComponent* component : pages[currentPage])
            component->draw();
        const auto position = titlePositions[currentPage];
        Draw2D().drawText(pageNames[currentPage], static_cast<float>(position.first),
            static_cast<float>(position.second), { 1.0f, 1.0f, 1.0f, 1.0f }, Fonts::Title);
    } else {
        for (const Group* group : { &leftColumn, &rightColumn, &topRow, &bottomRow })
            for (InterfaceComponent* component : *group)
                component->draw();
        for (ComponentContainer* window : windows)
            window->draw();
    }
}
