#include "Graphics/Frustum.h"

#include <cmath>

void Frustum::extract(const float m[16])
{
    auto row = [m](int i, int column) { return m[column * 4 + i]; };
    // Each plane is row 3 plus or minus one other row of the combined matrix.
    const struct
    {
        int row;
        float sign;
    } recipe[PlaneCount]
        = { { 1, -1.0f }, { 1, 1.0f }, { 0, 1.0f }, { 0, -1.0f }, { 2, 1.0f }, { 2, -1.0f } };
    for (int p = 0; p < PlaneCount; ++p) {
        float coefficients[4];
        for (int column = 0; column < 4; ++column)
            coefficients[column] = row(3, column) + recipe[p].sign * row(recipe[p].row, column);
        const float length = std::sqrt(coefficients[0] * coefficients[0] + coefficients[1] * coefficients[1]
            + coefficients[2] * coefficients[2]);
        FrustumPlane& plane = planes[p];
        for (int axis = 0; axis < 3; ++axis)
            plane.normal[axis] = coefficients[axis] / length;
        plane.d = coefficients[3] / length;
    }
}

int Frustum::classifyBox(const float box[6]) const
{
    int result = Inside;
    for (const FrustumPlane& plane : planes) {
        int in = 0;
        int out = 0;
        for (int corner = 0; corner < 8 && (in == 0 || out == 0); ++corner) {
            float distance = plane.d;
            for (int axis = 0; axis < 3; ++axis)
                distance += plane.normal[axis] * box[(corner >> axis & 1) ? axis + 3 : axis];
            if (distance < 0.0f)
                ++out;
            else
                ++in;
        }
        if (in == 0)
            return Outside;
        if (out > 0)
            result = Intersecting;
    }
    return result;
}
