#pragma once

#include "ResourceJob.h"

// The forge: a brick furnace with a glowing mouth and a tall chimney, an
// anvil on a tree stump with a hammer on it, and a quenching tub. About
// three units wide and three high, standing on y = 0, its front facing +z.
ResourceJob forgeModelJob();
