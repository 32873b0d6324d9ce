#pragma once

// The three fixed-function lights of the scene. Light 0 is the sun-like key
// light, light 1 is configured but never enabled, light 2 is a dim blue fill
// switched with Page Up. The terrain render pass follows the two switches:
// its programs take the sun's light only while light 0 is on and add light
// 2's diffuse colour while it is on. Owned by the Scene; main thread only.
class Lights {
public:
    Lights();
    ~Lights();

    // The instance the Scene created, or null before it exists.
    static Lights* getInstance();

    // Gives lights 0, 1 and 2 their colours and positions and enables light 0.
    void configure();
    // Re-positions the lights in the current model-view frame, turned by `angle`.
    void position();
    void setLight0(bool on);
    void setLight2(bool on);

    float ambientA[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float ambientB[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse0[4] = {0.9f, 0.9f, 0.8f, 1.0f};
    float diffuse1[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse2[4] = {0.1f, 0.1f, 0.3f, 1.0f};
    float specularA[4] = {0.5f, 0.5f, 0.5f, 0.0f};
    float specularB[4] = {0.2f, 0.2f, 0.5f, 0.0f};
    float position0[4] = {0.0f, 50.0f, 50.0f, 0.0f};
    float position1[4] = {0.0f, 50.0f, 0.0f, 0.0f};
    float position2[4] = {0.0f, 50.0f, -50.0f, 0.0f};
    double lightPosition0[3] = {0.0, 50.0, 50.0};
    double lightPosition2[3] = {0.0, 50.0, -50.0};
    bool light0On = true;
    bool light2On = false;
    // Rotation of the rig about the x axis, in degrees.
    float angle = 0.0f;
};
