#pragma once

#include "Graphics/ModelMesh.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/Textures.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// A static mesh file imported with Assimp: one ModelMesh per mesh of the
// file, each drawn with its material's textures, which are read from the
// texture directory's "model" folder. A file that cannot be imported is
// reported and leaves the model empty. Main thread only.
class Model
{
public:
    explicit Model(const std::string& path);

    // The caller makes the program current and sets its own uniforms first.
    void draw(ShaderProgram& shader) const;

    std::vector<ModelMesh> meshes;
    std::vector<std::unique_ptr<ModelMaterial>> materials;
    // Keyed by the path as the model's materials write it.
    std::map<std::string, Texture*> textures;
};
