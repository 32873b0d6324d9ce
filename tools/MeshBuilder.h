#pragma once

#include "Transform.h"
#include "Vec3.h"

#include <string>
#include <vector>

// A rectangle of a texture atlas in OBJ texture coordinates (v up).
struct UvRect
{
    double u0, v0, u1, v1;
};

// Collects low-poly parts (boxes, tapered cylinders, ellipsoids) into one
// triangle mesh and writes it as Wavefront OBJ and MTL text. Triangles wind
// counter-clockwise seen from outside; each part's texture coordinates
// stay within the atlas rectangle it is given.
class MeshBuilder
{
public:
    // A box of the given size centred on the local origin.
    void box(const Transform& place, const Vec3& size, const UvRect& uv);
    // A capped cylinder along local +y from 0 to `height`; a radius of 0
    // makes that end a point (a cone).
    void cylinder(const Transform& place, double bottomRadius, double topRadius, double height, int segments,
        const UvRect& uv);
    // An ellipsoid centred on the local origin, cut off below
    // `lowestLatitude` degrees (0 gives the upper half, open at the bottom).
    void ellipsoid(const Transform& place, const Vec3& radii, int rings, int segments, const UvRect& uv,
        double lowestLatitude = -90.0);

    std::size_t triangleCount() const { return triangles.size(); }
    Vec3 lowest() const;
    Vec3 highest() const;

    std::string objText(
        const std::string& header, const std::string& mtlFile, const std::string& material) const;
    static std::string mtlText(
        const std::string& material, const std::string& diffuseMap, const std::string& bumpMap);

private:
    struct Vertex
    {
        Vec3 position;
        double u, v;
        Vec3 normal;
    };
    int vertex(const Transform& place, const Vec3& position, double u, double v, const Vec3& normal);
    void triangle(const Transform& place, int a, int b, int c);

    std::vector<Vertex> vertices;
    std::vector<std::vector<int>> triangles;
};
