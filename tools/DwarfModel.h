#pragma once

#include "ResourceJob.h"

// The dwarf: a stocky bearded figure in a horned helmet holding a pickaxe,
// about 1.2 units tall, standing on y = 0 and facing +z.
ResourceJob dwarfModelJob();
