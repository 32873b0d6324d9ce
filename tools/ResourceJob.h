#pragma once

#include <functional>
#include <string>
#include <vector>

class OutputFolder;

// One independent piece of generation work. Files that are made from the same
// data (a diffuse map and the normal map of its height field, a model and its
// material) belong to one job so the data is computed once.
struct ResourceJob
{
    // Paths relative to the resources folder, '/' separated.
    std::vector<std::string> outputs;
    std::function<void(const OutputFolder&)> run;
};
