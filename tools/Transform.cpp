#include "Transform.h"

Transform::Transform()
    : m { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } }
{
}

Transform Transform::translate(const Vec3& offset)
{
    Transform t;
    t.shift = offset;
    return t;
}

Transform Transform::rotate(const Vec3& axis, double degrees)
{
    const Vec3 a = axis.normalized();
    const double r = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(r), s = std::sin(r), k = 1 - c;
    Transform t;
    const double rows[3][3] = {
        { c + a.x * a.x * k, a.x * a.y * k - a.z * s, a.x * a.z * k + a.y * s },
        { a.y * a.x * k + a.z * s, c + a.y * a.y * k, a.y * a.z * k - a.x * s },
        { a.z * a.x * k - a.y * s, a.z * a.y * k + a.x * s, c + a.z * a.z * k },
    };
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.m[i][j] = rows[i][j];
    return t;
}

Transform Transform::scale(const Vec3& factors)
{
    Transform t;
    t.m[0][0] = factors.x;
    t.m[1][1] = factors.y;
    t.m[2][2] = factors.z;
    return t;
}

Transform Transform::operator*(const Transform& inner) const
{
    Transform t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.m[i][j] = m[i][0] * inner.m[0][j] + m[i][1] * inner.m[1][j] + m[i][2] * inner.m[2][j];
    t.shift = point(inner.shift);
    return t;
}

Vec3 Transform::point(const Vec3& p) const
{
    return { m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + shift.x,
        m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + shift.y,
        m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + shift.z };
}

Vec3 Transform::normal(const Vec3& n) const
{
    // The rows of the inverse transpose are the cross products of the
    // matrix rows, divided by the determinant; only its sign matters here
    // since the result is normalised.
    const Vec3 r0 { m[0][0], m[0][1], m[0][2] }, r1 { m[1][0], m[1][1], m[1][2] },
        r2 { m[2][0], m[2][1], m[2][2] };
    const Vec3 result = Vec3 { r1.cross(r2).dot(n), r2.cross(r0).dot(n), r0.cross(r1).dot(n) }.normalized();
    return mirrors() ? result * -1.0 : result;
}

bool Transform::mirrors() const
{
    const Vec3 r0 { m[0][0], m[0][1], m[0][2] }, r1 { m[1][0], m[1][1], m[1][2] },
        r2 { m[2][0], m[2][1], m[2][2] };
    return r0.dot(r1.cross(r2)) < 0;
}
