#pragma once

#include <string>

// Resource paths are written in the code as the Windows-era literals they have
// always been ("Resources\\Shaders\\basic", "./resources/terrain/..."). Every
// file access goes through resourcePath() so they all reach the one
// case-sensitive "resources" folder under the working directory.
std::string resourcePath(const std::string& literal);
