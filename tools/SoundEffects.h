#pragma once

#include "ResourceJob.h"

#include <vector>

// The dig tools' looping sounds: a pickaxe striking rock once a second and
// the steady rattle of a jackhammer. Both loop without a click.
std::vector<ResourceJob> soundEffectJobs();
