// Entry point of the test programs that need OpenGL: one hidden SFML window
// gives every test a current context with GLEW initialised.
#include <GL/glew.h>
#include <SFML/Window.hpp>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {
// The OpenGL driver (Mesa's *_dri.so) is unloaded at exit, before the leak
// checker of the sanitizer builds looks: what the driver keeps for the life of
// the process, held by its own globals, would then show as nameless leaks
// that could not be told from ours. Kept loaded, it still holds them.
void keepDriverLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (std::strstr(info->dlpi_name, "_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    sf::ContextSettings settings(24, 8, 0, 2, 1);
    sf::Window window(sf::VideoMode(320, 240), "gl tests", sf::Style::None, settings);
    window.setVisible(false);
    window.setActive(true);
    keepDriverLoaded();
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "GLEW could not be initialised for the tests\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
