#pragma once

#include "Vec3.h"

// An affine placement of a model part: a linear map followed by a shift.
// Products apply the right-hand transform first, so
// translate(p) * rotate(a, d) * scale(s) scales, turns, then moves.
class Transform
{
public:
    Transform();
    static Transform translate(const Vec3& offset);
    static Transform rotate(const Vec3& axis, double degrees);
    static Transform scale(const Vec3& factors);

    Transform operator*(const Transform& inner) const;
    Vec3 point(const Vec3& p) const;
    // Normals follow the inverse transpose, so they stay perpendicular to
    // surfaces under uneven scaling; the result is unit length.
    Vec3 normal(const Vec3& n) const;
    // True when the map mirrors space, which flips the winding of faces.
    bool mirrors() const;

private:
    double m[3][3];
    Vec3 shift;
};
