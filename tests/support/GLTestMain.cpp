// Entry point of the test programs that need OpenGL: one hidden SFML window
// gives every test a current context with GLEW initialised.
#include <GL/glew.h>
#include <SFML/Window.hpp>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    sf::ContextSettings settings(24, 8, 0, 2, 1);
    sf::Window window(sf::VideoMode(320, 240), "gl tests", sf::Style::None, settings);
    window.setVisible(false);
    window.setActive(true);
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "GLEW could not be initialised for the tests\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
