#version 150 compatibility
// The outline of the picked instance: every triangle again, pushed out
// along its vertex normals and turned round, so that back-face culling keeps
// only the far side of this shell, which shows as a rim around the model.
// Instances that are not picked emit nothing here.

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

uniform mat4 modelViewMatrix;
uniform mat4 projectionMatrix;
uniform int picked;

in ModelData
{
    vec3 worldPos;
    vec3 normal;
    vec3 tangent;
    vec2 uv;
    float outline;
}
geometryIn[];

out ModelData
{
    vec3 worldPos;
    vec3 normal;
    vec3 tangent;
    vec2 uv;
    float outline;
}
geometryOut;

const float thickness = 0.035;

void main()
{
    if (picked != 1)
        return;
    for (int i = 2; i >= 0; --i) {
        vec3 normal = geometryIn[i].normal;
        float normalLength = length(normal);
        vec3 pushed = geometryIn[i].worldPos + (normalLength > 0.0001 ? normal / normalLength : vec3(0.0)) * thickness;
        geometryOut.worldPos = pushed;
        geometryOut.normal = normal;
        geometryOut.tangent = geometryIn[i].tangent;
        geometryOut.uv = geometryIn[i].uv;
        geometryOut.outline = 1.0;
        gl_Position = projectionMatrix * (modelViewMatrix * vec4(pushed, 1.0));
        EmitVertex();
    }
    EndPrimitive();
}
