#include "ModelJob.h"

#include "MeshBuilder.h"
#include "ModelAtlas.h"
#include "OutputFolder.h"

#include <filesystem>

ResourceJob modelJob(const std::string& objPath, const std::string& material,
    std::function<void(MeshBuilder&, ModelAtlas&)> build)
{
    const std::string mtlPath = std::filesystem::path(objPath).replace_extension(".mtl").generic_string();
    const std::string mtlFile = std::filesystem::path(mtlPath).filename().string();
    const std::string diffuse = material + "_diffuse.png", normal = material + "_normal.png";
    return { { objPath, mtlPath, "textures/model/" + diffuse, "textures/model/" + normal },
        [=](const OutputFolder& out) {
            MeshBuilder mesh;
            ModelAtlas atlas(4, 128);
            build(mesh, atlas);
            out.saveImage("textures/model/" + diffuse, atlas.diffuse());
            out.saveImage("textures/model/" + normal, atlas.normalMap(4.0));
            out.saveText(mtlPath, MeshBuilder::mtlText(material, diffuse, normal));
            out.saveText(objPath, mesh.objText("Glebeworks " + material + " model", mtlFile, material));
        } };
}
