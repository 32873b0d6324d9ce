#pragma once

#include "ResourceJob.h"

#include <vector>

// The textures of the render pass besides the terrain arrays: the cloudy
// noise texture, the 32 looping frames of the water caustics and the grass
// billboard with its alpha channel.
std::vector<ResourceJob> effectTextureJobs();
