#pragma once

#include <SFML/Window/Keyboard.hpp>
#include <array>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Button;
class ComponentContainer;
class InterfaceComponent;
class TextField;

// Owner of everything on screen that is not the world: the menu pages shown
// while the menu is open (Escape), heads-up components anchored to the four
// window edges, free-floating windows, and the loading screen. Routes keys and
// clicks to them, turns clicks on the system buttons ("SC_...") into actions
// and lays everything out again when the window changes size.
//
// Components added by other parts stay theirs; the interface owns only the
// buttons and texts it makes itself. Created by the Game before the Scene and
// published as the instance until destroyed. Main thread only.
class Interface
{
public:
    // Where a heads-up component sits.
    enum Placement
    {
        TopRow = 11,
        BottomRow = 21,
        LeftColumn = 31,
        RightColumn = 41
    };
    static constexpr int maxPages = 50;

    Interface();
    ~Interface();
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;

    // The interface the Game created, or null while none exists.
    static Interface* getInstance();

    // The main menu with "Return to Program" and "Exit Program".
    void buildMenus();
    // The "About" page under the main menu with the program's credits, and
    // "About the Creators" under it.
    void addAboutPages();

    // The new page's index, reached by a button on the parent page and left by
    // its own "Back" button; -1 when all pages are used or the parent is unknown.
    int addPage(int parent, const std::string& name);
    bool addPageButton(int page, Button* button);
    bool addPageText(int page, TextField* field);
    // A heads-up component, sized to its text (a text field to one line) and
    // placed at an edge; false when its name is taken or reserved. An unknown
    // placement registers it without placing it.
    bool addComponent(InterfaceComponent* component, int placement);
    // A container shown as a movable, resizable window, moved into the window
    // area and off the heads-up components; false when its name is taken or
    // reserved.
    bool addWindow(ComponentContainer* window);
    // false for reserved names ("SC_...") and names already in use.
    bool isNameAvailable(const std::string& name) const;
    // Searches the registered components and the contents of containers.
    InterfaceComponent* findComponent(const std::string& name) const;

    // True when the interface took the key: a menu is open after Escape, or a
    // focused text field took the character.
    bool keyPressed(sf::Keyboard::Key code, bool shift);
    // (x, y) in window pixels, y up. True when the interface took the click.
    bool mouseButton(int button, int x, int y, bool pressed);
    // Hover tracking; true while the menu is open.
    bool mouseMoved(int x, int y);
    // Moves and resizes windows; true while the menu is open or a window is
    // being moved or resized.
    bool mouseDragged(int x, int y);
    // True while the menu or the loading screen is up.
    bool update(double dt);
    // Lays out the heads-up components and the pages for the new size, and
    // moves every window into it and off the heads-up components.
    void resize(int width, int height);
    // progress in percent, for the loading screen. GL context current, in the
    // 2D overlay's window-pixel projection.
    void draw(double loadingProgress);

    int getCurrentPage() const { return currentPage; }
    int getPageCount() const { return pageCount; }
    const std::deque<InterfaceComponent*>& getPage(int page) const { return pages.at(page); }
    const std::string& getPageName(int page) const { return pageNames.at(page); }
    std::pair<int, int> getTitlePosition(int page) const { return titlePositions.at(page); }
    TextField* getFocusedField() const { return focusedField; }
    const double* getBackground() const { return background; }

    bool menuOpen = false;
    // The loading screen is up until the terrain's first pass is done.
    bool loading = false;

private:
    using Group = std::deque<InterfaceComponent*>;

    template <class T> T* own(std::unique_ptr<T> component);
    bool isPage(int page) const { return page >= 0 && page < pageCount; }
    void placeOnPage(int page, InterfaceComponent* component);
    void activate(InterfaceComponent* component);
    void focus(TextField* field);
    void randomiseBackground();
    void driftBackground(double dt);
    void applyColourScheme();
    void placeWindow(ComponentContainer& window, int width, int height) const;
    void drawBackground() const;
    void drawLoadingScreen(double progress) const;

    Group components;
    Group leftColumn, rightColumn, topRow, bottomRow;
    std::deque<ComponentContainer*> windows;
    std::array<Group, maxPages> pages;
    std::array<std::string, maxPages> pageNames;
    int pageCount = 0;
    std::array<std::pair<int, int>, maxPages> titlePositions {};
    int currentPage = 0;
    Button* exitButton = nullptr;
    Button* returnButton = nullptr;
    TextField* focusedField = nullptr;
    bool layoutPending = false;
    double background[3] = { 0.0, 0.0, 0.0 };
    bool backgroundRising[3] = { true, true, true };
    int colourScheme = 10;
    std::vector<std::unique_ptr<InterfaceComponent>> owned;
};
