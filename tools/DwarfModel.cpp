#include "DwarfModel.h"

#include "MeshBuilder.h"
#include "ModelAtlas.h"
#include "ModelJob.h"
#include "ModelPainters.h"

namespace {
using T = Transform;

void buildDwarf(MeshBuilder& mesh, ModelAtlas& atlas)
{
    using namespace ModelPainters;
    const UvRect skinUv = atlas.add(skin({ 232, 180, 150 }));
    const UvRect beardUv = atlas.add(hair({ 176, 92, 40 }));
    const UvRect tunicUv = atlas.add(cloth({ 44, 86, 140 }));
    const UvRect trousersUv = atlas.add(cloth({ 104, 82, 56 }));
    const UvRect leatherUv = atlas.add(leather({ 86, 56, 34 }));
    const UvRect steelUv = atlas.add(metal({ 150, 154, 160 }, 0.6));
    const UvRect goldUv = atlas.add(metal({ 212, 170, 60 }, 0.3));
    const UvRect eyeUv = atlas.add(plain({ 30, 24, 20 }));
    const UvRect hornUv = atlas.add(wood({ 226, 214, 180 }));
    const UvRect handleUv = atlas.add(wood({ 140, 98, 58 }));
    const UvRect ironUv = atlas.add(metal({ 84, 86, 92 }, 0.8));

    const Vec3 forward { 0, 0, 1 };
    for (double side : { -1.0, 1.0 }) {
        // Boots, legs and the shoulder, arm and hand on each side.
        mesh.box(T::translate({ side * 0.1, 0.06, 0.03 }), { 0.15, 0.12, 0.25 }, leatherUv);
        mesh.cylinder(T::translate({ side * 0.1, 0.1, 0 }), 0.075, 0.08, 0.32, 8, trousersUv);
        mesh.ellipsoid(T::translate({ side * 0.22, 0.76, 0 }), { 0.1, 0.09, 0.1 }, 5, 8, tunicUv);
        const T arm = T::translate({ side * 0.23, 0.77, 0.0 }) * T::rotate(forward, side * -165.0);
        mesh.cylinder(arm, 0.065, 0.055, 0.34, 8, tunicUv);
        mesh.ellipsoid(arm * T::translate({ 0, 0.37, 0 }), { 0.065, 0.065, 0.065 }, 5, 8, skinUv);
    }
    // Body, belt and buckle; the body is deeper than wide only a little.
    const T flattened = T::scale({ 1.0, 1.0, 0.82 });
    mesh.cylinder(T::translate({ 0, 0.36, 0 }) * flattened, 0.27, 0.22, 0.45, 12, tunicUv);
    mesh.cylinder(T::translate({ 0, 0.5, 0 }) * flattened, 0.265, 0.255, 0.07, 12, leatherUv);
    mesh.box(T::translate({ 0, 0.535, 0.215 }), { 0.09, 0.075, 0.03 }, goldUv);

    // Head with nose and eyes.
    mesh.ellipsoid(T::translate({ 0, 0.95, 0 }), { 0.15, 0.16, 0.15 }, 8, 12, skinUv);
    mesh.ellipsoid(T::translate({ 0, 0.92, 0.15 }), { 0.04, 0.045, 0.045 }, 4, 8, skinUv);
    for (double side : { -1.0, 1.0 })
        mesh.ellipsoid(T::translate({ side * 0.055, 0.965, 0.134 }), { 0.024, 0.024, 0.016 }, 3, 6, eyeUv);

    // The beard hides the jaw and falls to the belt in a point; a
    // moustache sits under the nose.
    mesh.ellipsoid(T::translate({ 0, 0.86, 0.03 }), { 0.158, 0.1, 0.135 }, 6, 12, beardUv);
    mesh.cylinder(
        T::translate({ 0, 0.88, 0.16 }) * T::rotate({ 1, 0, 0 }, 180.0 - 14.0) * T::scale({ 1, 1, 0.5 }),
        0.17, 0.03, 0.42, 10, beardUv);
    mesh.ellipsoid(T::translate({ 0, 0.885, 0.15 }), { 0.1, 0.03, 0.04 }, 4, 8, beardUv);

    // Helmet: a dome with a gold rim and two horns.
    mesh.ellipsoid(T::translate({ 0, 1.01, 0 }), { 0.168, 0.15, 0.168 }, 5, 12, steelUv, 0.0);
    mesh.cylinder(T::translate({ 0, 0.995, 0 }), 0.172, 0.172, 0.04, 12, goldUv);
    for (double side : { -1.0, 1.0 }) {
        const T horn = T::translate({ side * 0.14, 1.08, 0 }) * T::rotate(forward, side * -50.0);
        mesh.cylinder(horn, 0.04, 0.0, 0.16, 8, hornUv);
    }

    // A pickaxe held upright in the right hand.
    const T hand = T::translate({ -0.32, 0.42, 0.02 });
    mesh.cylinder(hand * T::translate({ 0, -0.18, 0 }), 0.02, 0.02, 0.62, 6, handleUv);
    mesh.box(hand * T::translate({ 0, 0.44, 0 }), { 0.05, 0.06, 0.12 }, ironUv);
    for (double side : { -1.0, 1.0 })
        mesh.cylinder(hand * T::translate({ 0, 0.44, side * 0.05 }) * T::rotate({ 1, 0, 0 }, side * 80.0),
            0.03, 0.0, 0.2, 6, ironUv);
}
}

ResourceJob dwarfModelJob()
{
    return modelJob("models/dwarf/dwarf_smaller.obj", "dwarf", buildDwarf);
}
