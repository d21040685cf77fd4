#pragma once

#include "0-math/BoundingBox.h"
#include "0-math/Vector3f.h"
#include "1-world/Ground.h"

#include <vector>

class Mesh;

// The player's craft: the model "Ship2.dae", a position that moves along
// direction while thrust is on, and two angles in degrees that the mouse turns
// (one degree per pixel) and that orient the drawn model. Owns its Mesh.
class Ship {
public:
    // A step ending at or below this height is dropped: the ship never comes
    // down to the ground.
    static constexpr float Floor = Ground::Height;

    // Stores the arguments, derives the angles from direction and loads the
    // model (a failed load leaves it empty; everything else works unchanged).
    // direction is kept as given: UpdateDirection is not run.
    Ship(Vector3f position, Vector3f direction, float speed);
    ~Ship();
    Ship(const Ship&) = delete;
    Ship& operator=(const Ship&) = delete;

    // Moves by direction * (speed * dt) when thrust is exactly 1. NOTE: a step
    // that would end at y <= Floor is dropped whole, in x and z too.
    void Update(float dt);

    // Turns by the pointer movement since the last call (left raises angleH,
    // down raises angleV), then UpdateDirection.
    void OnMouse(int x, int y);

    // Turns right and down by the given degrees, fractions kept, as pointer
    // motion of as many pixels does, then UpdateDirection. The pointer's
    // last position is left as it was.
    void Turn(float right, float down);

    // direction from the two angles.
    void UpdateDirection();

    void SetThrust(int on) { thrust = on; }
    Vector3f GetPosition() const { return position; }

    // The model at position, rotated by angleH about y then angleV about x,
    // under the current OpenGL matrix (restored afterwards).
    void Draw();

    // Copies of the model's sub-mesh boxes as the last Draw left them.
    std::vector<BoundingBox> GetBoundingBoxes();

    int GetThrust() const { return thrust; }
    float GetAngleH() const { return angleH; }
    float GetAngleV() const { return angleV; }
    const Mesh* GetMesh() const { return mesh; }

    // Unit direction of travel. The game overwrites it with the camera's view
    // direction every frame, so in play the ship flies where the camera looks.
    Vector3f direction;

private:
    Mesh* mesh;         // the model; owned
    Vector3f position;  // world units
    float speed;        // world units per unit of dt while thrusting
    float angleH;       // degrees, turned by horizontal pointer motion
    float angleV;       // degrees, turned by vertical pointer motion
    int lastMouseX;     // pointer at the previous OnMouse, window pixels
    int lastMouseY;
    int thrust;         // 1 while the space bar is held, else 0
};
