#pragma once

#include "0-math/Vector3f.h"

// Mouse-look: two angles in degrees, turned one degree per pixel of pointer
// motion (or by a pad's turn, in degrees), give a unit view direction and a
// unit up vector. The camera does not
// place the eye; the frame puts it at a distance from the ship along target.
class Camera {
public:
    // Stores the window size, position and the normalised direction, derives
    // the angles from the direction and warps the system pointer to the window
    // centre (needs a GLUT window). NOTE: does not run Update: target keeps the
    // given direction until the first Update, and up starts at (0, 1, 0).
    Camera(int windowWidth, int windowHeight, Vector3f position, Vector3f target);

    // Turns by the pointer movement since the last event, then Update.
    void OnMouse(int x, int y);

    // Turns right and down by the given degrees, fractions kept, as pointer
    // motion of as many pixels does, then Update. The pointer's last
    // position is left as it was.
    void Turn(float right, float down);

    // Recomputes target and up from the two angles.
    void Update();

    Vector3f GetTarget() const { return target; }
    Vector3f GetUp() const { return up; }
    Vector3f GetPosition() const { return position; }
    float GetAngleH() const { return angleH; }
    float GetAngleV() const { return angleV; }

private:
    Vector3f position;  // given to the constructor; unused by the frame
    Vector3f target;    // unit view direction
    Vector3f up;        // unit up vector
    int lastMouseX;     // pointer x at the last motion event, window pixels
    int lastMouseY;     // pointer y at the last motion event, window pixels
    int windowWidth;    // as given to the constructor; resizing does not change it
    int windowHeight;
    float angleH;       // degrees: rotation of (1, 0, 0) about the vertical axis
    float angleV;       // degrees: tilt about the horizontal axis, positive looks down; never clamped
};
