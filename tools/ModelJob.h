#pragma once

#include "ResourceJob.h"

#include <functional>
#include <string>

class MeshBuilder;
class ModelAtlas;

// A model's files: the OBJ at `objPath` (relative to the resources folder),
// its MTL beside it with one material named `material`, and the material's
// atlas as `material`_diffuse.png and `material`_normal.png in
// textures/model/, the folder the game's model loader reads them from.
ResourceJob modelJob(const std::string& objPath, const std::string& material,
    std::function<void(MeshBuilder&, ModelAtlas&)> build);
