#pragma once

// One clipping plane of the view: a point p is on the inner side when
// dot(normal, p) + d >= 0. The three spare floats keep the record's layout.
struct FrustumPlane
{
    float normal[3] = { 0.0f, 0.0f, 0.0f };
    float unused[3] = { 0.0f, 0.0f, 0.0f };
    float d = 0.0f;
};

// The six planes of the view volume, for culling blocks. Single precision,
// like the matrices OpenGL hands back. A plain value type: the render pass
// extracts it on the main thread.
class Frustum
{
public:
    enum Plane
    {
        Top,
        Bottom,
        Left,
        Right,
        Near,
        Far,
        PlaneCount
    };
    enum Classification
    {
        Outside = 0,
        Intersecting = 1,
        Inside = 2
    };

    // m is projection x model-view, column-major as glGetFloatv returns it.
    void extract(const float m[16]);

    // box holds min x, y, z then max x, y, z. Returns a Classification.
    int classifyBox(const float box[6]) const;

    FrustumPlane planes[PlaneCount];
};
