#include "ForgeModel.h"

#include "MeshBuilder.h"
#include "ModelAtlas.h"
#include "ModelJob.h"
#include "ModelPainters.h"

namespace {
using T = Transform;

void buildForge(MeshBuilder& mesh, ModelAtlas& atlas)
{
    using namespace ModelPainters;
    const UvRect brickUv = atlas.add(brick({ 150, 66, 44 }));
    const UvRect stoneUv = atlas.add(stone({ 128, 124, 118 }));
    const UvRect fireUv = atlas.add(fire());
    const UvRect sootUv = atlas.add(stone({ 46, 42, 40 }));
    const UvRect ironUv = atlas.add(metal({ 70, 72, 78 }, 0.9));
    const UvRect stumpUv = atlas.add(wood({ 118, 84, 52 }));
    const UvRect handleUv = atlas.add(wood({ 156, 112, 66 }));
    const UvRect waterUv = atlas.add(water());
    const UvRect hoopUv = atlas.add(metal({ 96, 90, 84 }, 0.4));

    // Furnace on a stone plinth, its mouth glowing in the front wall, and
    // a square chimney narrowing as it rises.
    const double furnaceX = -0.75;
    mesh.box(T::translate({ furnaceX, 0.1, 0 }), { 1.8, 0.2, 1.6 }, stoneUv);
    mesh.box(T::translate({ furnaceX, 0.85, 0 }), { 1.5, 1.3, 1.4 }, brickUv);
    mesh.box(T::translate({ furnaceX, 0.78, 0.705 }), { 0.82, 0.6, 0.02 }, sootUv);
    mesh.box(T::translate({ furnaceX, 0.74, 0.72 }), { 0.66, 0.46, 0.02 }, fireUv);
    mesh.box(T::translate({ furnaceX, 1.1, 0.73 }), { 0.9, 0.12, 0.08 }, stoneUv);
    mesh.box(T::translate({ furnaceX, 1.55, 0 }), { 1.6, 0.1, 1.5 }, stoneUv);
    mesh.cylinder(
        T::translate({ furnaceX, 1.6, -0.1 }) * T::rotate({ 0, 1, 0 }, 45.0), 0.6, 0.38, 1.3, 4, brickUv);
    mesh.cylinder(
        T::translate({ furnaceX, 2.9, -0.1 }) * T::rotate({ 0, 1, 0 }, 45.0), 0.42, 0.42, 0.12, 4, sootUv);

    // Anvil on a stump: foot, waist, face, the horn to the right and a
    // square heel to the left.
    const T anvil = T::translate({ 0.85, 0, 0.35 });
    mesh.cylinder(anvil, 0.3, 0.27, 0.45, 10, stumpUv);
    mesh.box(anvil * T::translate({ 0, 0.5, 0 }), { 0.46, 0.1, 0.3 }, ironUv);
    mesh.box(anvil * T::translate({ 0, 0.64, 0 }), { 0.24, 0.18, 0.18 }, ironUv);
    mesh.box(anvil * T::translate({ 0, 0.81, 0 }), { 0.6, 0.16, 0.26 }, ironUv);
    mesh.cylinder(
        anvil * T::translate({ 0.3, 0.83, 0 }) * T::rotate({ 0, 0, 1 }, -90.0), 0.1, 0.0, 0.34, 8, ironUv);
    mesh.box(anvil * T::translate({ -0.36, 0.84, 0 }), { 0.12, 0.1, 0.2 }, ironUv);

    // A hammer lying across the anvil face.
    const T hammer = anvil * T::translate({ -0.05, 0.91, 0.02 }) * T::rotate({ 0, 1, 0 }, 30.0);
    mesh.cylinder(hammer * T::rotate({ 1, 0, 0 }, 90.0), 0.018, 0.018, 0.4, 6, handleUv);
    mesh.box(hammer * T::translate({ 0, 0.015, -0.02 }), { 0.16, 0.06, 0.06 }, ironUv);

    // The quenching tub: a wooden barrel with iron hoops, full of water.
    const T tub = T::translate({ 0.45, 0, 1.05 });
    mesh.cylinder(tub, 0.3, 0.33, 0.5, 12, stumpUv);
    for (double height : { 0.08, 0.38 })
        mesh.cylinder(tub * T::translate({ 0, height, 0 }), 0.315, 0.325, 0.05, 12, hoopUv);
    mesh.cylinder(tub * T::translate({ 0, 0.44, 0 }), 0.3, 0.3, 0.07, 12, waterUv);
}
}

ResourceJob forgeModelJob()
{
    return modelJob("models/forge.obj", "forge", buildForge);
}
