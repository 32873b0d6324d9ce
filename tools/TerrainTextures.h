#pragma once

#include "ResourceJob.h"

#include <vector>

// The terrain's texture arrays: for every material a tileable diffuse map
// and the normal map of the same height field, the three greyscale detail
// maps, and the grid that marks materials without a texture of their own.
// Every image of one array has the same size, as texture arrays require.
std::vector<ResourceJob> terrainTextureJobs();
