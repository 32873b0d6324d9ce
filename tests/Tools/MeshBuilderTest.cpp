#include "MeshBuilder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {
const UvRect fullUv { 0.25, 0.5, 0.5, 0.75 };
constexpr double pi = 3.14159265358979323846;

struct ObjMesh
{
    std::vector<Vec3> positions, normals;
    std::vector<std::pair<double, double>> uvs;
    std::vector<std::array<int, 3>> faces; // position indices, from 0
    std::vector<std::array<int, 3>> faceNormals;
};

// Reads the OBJ text back the way a loader would, checking every index.
ObjMesh read(const std::string& text)
{
    ObjMesh mesh;
    std::istringstream in(text);
    std::string kind;
    while (in >> kind) {
        if (kind == "v" || kind == "vn") {
            Vec3 p;
            in >> p.x >> p.y >> p.z;
            (kind == "v" ? mesh.positions : mesh.normals).push_back(p);
        } else if (kind == "vt") {
            double u, v;
            in >> u >> v;
            mesh.uvs.emplace_back(u, v);
        } else if (kind == "f") {
            std::array<int, 3> face, normal;
            for (int i = 0; i < 3; ++i) {
                int v, t, n;
                char slash;
                in >> v >> slash >> t >> slash >> n;
                EXPECT_GE(v, 1);
                EXPECT_LE(v, static_cast<int>(mesh.positions.size()));
                EXPECT_LE(t, static_cast<int>(mesh.uvs.size()));
                EXPECT_LE(n, static_cast<int>(mesh.normals.size()));
                face[i] = v - 1;
                normal[i] = n - 1;
            }
            mesh.faces.push_back(face);
            mesh.faceNormals.push_back(normal);
        } else {
            std::string rest;
            std::getline(in, rest);
        }
    }
    return mesh;
}

// Positive for a closed mesh whose faces wind counter-clockwise outwards.
double signedVolume(const ObjMesh& mesh)
{
    double volume = 0.0;
    for (const auto& f : mesh.faces)
        volume += mesh.positions[f[0]].dot(mesh.positions[f[1]].cross(mesh.positions[f[2]])) / 6.0;
    return volume;
}

// Every vertex normal must agree with the winding of its face.
void expectNormalsMatchWinding(const ObjMesh& mesh)
{
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const auto& f = mesh.faces[i];
        const Vec3 facing = (mesh.positions[f[1]] - mesh.positions[f[0]])
                                .cross(mesh.positions[f[2]] - mesh.positions[f[0]]);
        for (int k = 0; k < 3; ++k)
            ASSERT_GT(facing.dot(mesh.normals[mesh.faceNormals[i][k]]), 0.0) << "face " << i;
    }
}

ObjMesh build(const std::function<void(MeshBuilder&)>& add)
{
    MeshBuilder builder;
    add(builder);
    return read(builder.objText("test", "test.mtl", "test"));
}
}

TEST(MeshBuilderTest, PartsAreClosedAndWoundOutwards)
{
    const Transform placed = Transform::translate({ 3, 1, -2 }) * Transform::rotate({ 1, 2, 3 }, 40.0);
    const ObjMesh box = build([&](MeshBuilder& b) { b.box(placed, { 1, 2, 3 }, fullUv); });
    EXPECT_NEAR(signedVolume(box), 6.0, 1e-3);
    expectNormalsMatchWinding(box);

    // A hexagonal prism and a cone (one end a point).
    const double hexagon = 6.0 * 0.5 * std::sin(pi / 3.0);
    const ObjMesh prism = build([&](MeshBuilder& b) { b.cylinder(placed, 1.0, 1.0, 2.0, 6, fullUv); });
    EXPECT_NEAR(signedVolume(prism), hexagon * 2.0, 1e-3);
    expectNormalsMatchWinding(prism);
    const ObjMesh cone = build([&](MeshBuilder& b) { b.cylinder(placed, 1.0, 0.0, 3.0, 6, fullUv); });
    EXPECT_NEAR(signedVolume(cone), hexagon, 1e-3);
    expectNormalsMatchWinding(cone);

    const ObjMesh ball = build([&](MeshBuilder& b) { b.ellipsoid(placed, { 1, 2, 0.5 }, 24, 48, fullUv); });
    EXPECT_NEAR(signedVolume(ball), 4.0 / 3.0 * pi, 0.1);
    expectNormalsMatchWinding(ball);
}

TEST(MeshBuilderTest, MirroredPartsStayOutsideOut)
{
    const Transform mirrored = Transform::scale({ -1, 1, 2 });
    const ObjMesh box = build([&](MeshBuilder& b) { b.box(mirrored, { 1, 1, 1 }, fullUv); });
    EXPECT_NEAR(signedVolume(box), 2.0, 1e-3);
    expectNormalsMatchWinding(box);
}

TEST(MeshBuilderTest, TextureCoordinatesStayInsideTheirRectangle)
{
    const ObjMesh mesh = build([&](MeshBuilder& b) {
        b.box({}, { 1, 1, 1 }, fullUv);
        b.cylinder({}, 1.0, 0.5, 1.0, 8, fullUv);
        b.ellipsoid({}, { 1, 1, 1 }, 6, 8, fullUv, 0.0);
    });
    ASSERT_FALSE(mesh.uvs.empty());
    for (const auto& [u, v] : mesh.uvs) {
        EXPECT_GE(u, fullUv.u0 - 1e-4);
        EXPECT_LE(u, fullUv.u1 + 1e-4);
        EXPECT_GE(v, fullUv.v0 - 1e-4);
        EXPECT_LE(v, fullUv.v1 + 1e-4);
    }
}
