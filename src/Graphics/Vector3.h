#pragma once

// A position or direction in world units, in double precision. A plain value
// type: safe to copy between threads.
struct Vector3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vector3() = default;
    Vector3(double x, double y, double z)
        : x(x)
        , y(y)
        , z(z)
    {
    }

    double length() const;
    // The vector divided by its length, or the zero vector when it is shorter
    // than 1e-5 (a degenerate direction is not an error).
    Vector3 normalise() const;
    double dot(const Vector3& other) const;
    Vector3 cross(const Vector3& other) const;

    Vector3 operator+(const Vector3& other) const { return { x + other.x, y + other.y, z + other.z }; }
    Vector3 operator-(const Vector3& other) const { return { x - other.x, y - other.y, z - other.z }; }
    Vector3 operator-() const { return { -x, -y, -z }; }
    Vector3 operator*(double factor) const { return { x * factor, y * factor, z * factor }; }
    Vector3 operator/(double divisor) const { return { x / divisor, y / divisor, z / divisor }; }
    Vector3& operator+=(const Vector3& other);
    Vector3& operator-=(const Vector3& other);
    bool operator==(const Vector3& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const Vector3& other) const { return !(*this == other); }
};

inline Vector3 operator*(double factor, const Vector3& v)
{
    return v * factor;
}
