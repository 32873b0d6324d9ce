#include "MeshBuilder.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double pi = 3.14159265358979323846;

double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}
}

int MeshBuilder::vertex(const Transform& place, const Vec3& position, double u, double v, const Vec3& normal)
{
    vertices.push_back({ place.point(position), u, v, place.normal(normal) });
    return static_cast<int>(vertices.size()) - 1;
}

void MeshBuilder::triangle(const Transform& place, int a, int b, int c)
{
    // A mirroring placement turns counter-clockwise faces clockwise.
    if (place.mirrors())
        std::swap(b, c);
    triangles.push_back({ a, b, c });
}

void MeshBuilder::box(const Transform& place, const Vec3& size, const UvRect& uv)
{
    const Vec3 h = size * 0.5;
    // Each face: its normal and two in-plane axes with right x up = normal.
    const Vec3 faces[6][3] = {
        { { 1, 0, 0 }, { 0, 0, -1 }, { 0, 1, 0 } },
        { { -1, 0, 0 }, { 0, 0, 1 }, { 0, 1, 0 } },
        { { 0, 1, 0 }, { 1, 0, 0 }, { 0, 0, -1 } },
        { { 0, -1, 0 }, { 1, 0, 0 }, { 0, 0, 1 } },
        { { 0, 0, 1 }, { 1, 0, 0 }, { 0, 1, 0 } },
        { { 0, 0, -1 }, { -1, 0, 0 }, { 0, 1, 0 } },
    };
    const auto scaled = [&](const Vec3& d) { return Vec3 { d.x * h.x, d.y * h.y, d.z * h.z }; };
    for (const auto& face : faces) {
        const Vec3 centre = scaled(face[0]), right = scaled(face[1]), up = scaled(face[2]);
        const int a = vertex(place, centre - right - up, uv.u0, uv.v0, face[0]);
        const int b = vertex(place, centre + right - up, uv.u1, uv.v0, face[0]);
        const int c = vertex(place, centre + right + up, uv.u1, uv.v1, face[0]);
        const int d = vertex(place, centre - right + up, uv.u0, uv.v1, face[0]);
        triangle(place, a, b, c);
        triangle(place, a, c, d);
    }
}

void MeshBuilder::cylinder(const Transform& place, double bottomRadius, double topRadius, double height,
    int segments, const UvRect& uv)
{
    // The side normal leans towards the narrow end by the taper's slope.
    const double lean = (bottomRadius - topRadius) / height;
    const double uCap = lerp(uv.u0, uv.u1, 0.5), vCap = lerp(uv.v0, uv.v1, 0.5);
    const auto rim = [&](int i, double y, double radius, double v) {
        const double angle = 2.0 * pi * i / segments;
        const Vec3 out { std::sin(angle), 0, std::cos(angle) };
        return vertex(place, Vec3 { out.x * radius, y, out.z * radius },
            lerp(uv.u0, uv.u1, double(i) / segments), v, Vec3 { out.x, lean, out.z }.normalized());
    };
    for (int i = 0; i < segments; ++i) {
        const int b0 = rim(i, 0, bottomRadius, uv.v0), b1 = rim(i + 1, 0, bottomRadius, uv.v0);
        const int t0 = rim(i, height, topRadius, uv.v1), t1 = rim(i + 1, height, topRadius, uv.v1);
        if (bottomRadius > 0)
            triangle(place, b0, b1, topRadius > 0 ? t1 : t0);
        if (topRadius > 0)
            triangle(place, b0, t1, t0);
    }
    const auto cap = [&](double y, double radius, double facing) {
        if (radius <= 0)
            return;
        const Vec3 normal { 0, facing, 0 };
        const int centre = vertex(place, Vec3 { 0, y, 0 }, uCap, vCap, normal);
        for (int i = 0; i < segments; ++i) {
            const double a0 = 2.0 * pi * i / segments, a1 = 2.0 * pi * (i + 1) / segments;
            const auto point = [&](double angle) {
                return vertex(place, Vec3 { std::sin(angle) * radius, y, std::cos(angle) * radius },
                    uCap + 0.5 * (uv.u1 - uv.u0) * std::sin(angle),
                    vCap + 0.5 * (uv.v1 - uv.v0) * std::cos(angle), normal);
            };
            if (facing > 0)
                triangle(place, centre, point(a0), point(a1));
            else
                triangle(place, centre, point(a1), point(a0));
        }
    };
    cap(0, bottomRadius, -1);
    cap(height, topRadius, 1);
}

void MeshBuilder::ellipsoid(const Transform& place, const Vec3& radii, int rings, int segments,
    const UvRect& uv, double lowestLatitude)
{
    const double lowest = lowestLatitude * pi / 180.0;
    std::vector<std::vector<int>> grid(rings + 1);
    for (int r = 0; r <= rings; ++r) {
        const double latitude = lerp(lowest, pi / 2, double(r) / rings);
        for (int s = 0; s <= segments; ++s) {
            const double longitude = 2.0 * pi * s / segments;
            const Vec3 unit { std::cos(latitude) * std::sin(longitude), std::sin(latitude),
                std::cos(latitude) * std::cos(longitude) };
            const Vec3 position { unit.x * radii.x, unit.y * radii.y, unit.z * radii.z };
            const Vec3 normal { unit.x / radii.x, unit.y / radii.y, unit.z / radii.z };
            grid[r].push_back(vertex(place, position, lerp(uv.u0, uv.u1, double(s) / segments),
                lerp(uv.v0, uv.v1, double(r) / rings), normal.normalized()));
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const int a = grid[r][s], b = grid[r][s + 1], c = grid[r + 1][s + 1], d = grid[r + 1][s];
            // Rows at a pole collapse to a point; skip their empty halves.
            if (r > 0 || lowestLatitude > -90.0)
                triangle(place, a, b, c);
            if (r < rings - 1)
                triangle(place, a, c, d);
        }
    }
}

Vec3 MeshBuilder::lowest() const
{
    Vec3 low { 1e9, 1e9, 1e9 };
    for (const Vertex& v : vertices)
        low = { std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z) };
    return low;
}

Vec3 MeshBuilder::highest() const
{
    Vec3 high { -1e9, -1e9, -1e9 };
    for (const Vertex& v : vertices)
        high = { std::max(high.x, v.position.x), std::max(high.y, v.position.y),
            std::max(high.z, v.position.z) };
    return high;
}

std::string MeshBuilder::objText(
    const std::string& header, const std::string& mtlFile, const std::string& material) const
{
    std::string text = "# " + header + "\nmtllib " + mtlFile + "\n";
    char line[160];
    for (const Vertex& v : vertices) {
        std::snprintf(line, sizeof line, "v %.4f %.4f %.4f\n", v.position.x, v.position.y, v.position.z);
        text += line;
    }
    for (const Vertex& v : vertices) {
        std::snprintf(line, sizeof line, "vt %.4f %.4f\n", v.u, v.v);
        text += line;
    }
    for (const Vertex& v : vertices) {
        std::snprintf(line, sizeof line, "vn %.4f %.4f %.4f\n", v.normal.x, v.normal.y, v.normal.z);
        text += line;
    }
    text += "usemtl " + material + "\n";
    for (const auto& t : triangles) {
        std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", t[0] + 1, t[0] + 1, t[0] + 1,
            t[1] + 1, t[1] + 1, t[1] + 1, t[2] + 1, t[2] + 1, t[2] + 1);
        text += line;
    }
    return text;
}

std::string MeshBuilder::mtlText(
    const std::string& material, const std::string& diffuseMap, const std::string& bumpMap)
{
    return "newmtl " + material
        + "\nKa 0.2 0.2 0.2\nKd 1.0 1.0 1.0\nKs 0.25 0.25 0.25\nNs 24\nd 1.0\nillum 2\nmap_Kd " + diffuseMap
        + "\nmap_bump " + bumpMap + "\n";
}
