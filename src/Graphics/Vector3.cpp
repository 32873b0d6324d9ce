#include "Graphics/Vector3.h"

#include <cmath>

double Vector3::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

Vector3 Vector3::normalise() const
{
    const double len = length();
    if (len < 1e-5)
        return {};
    return *this / len;
}

double Vector3::dot(const Vector3& other) const
{
    return x * other.x + y * other.y + z * other.z;
}

Vector3 Vector3::cross(const Vector3& other) const
{
    return { y * other.z - z * other.y, z * other.x - x * other.z, x * other.y - y * other.x };
}

Vector3& Vector3::operator+=(const Vector3& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

Vector3& Vector3::operator-=(const Vector3& other)
{
    x -= other.x;
    y -= other.y;
    z -= other.z;
    return *this;
}
