#pragma once

#include "0-math/BoundingBox.h"
#include "0-math/Vector3f.h"

// One shot: a point flying in a straight line at BulletSpeed, drawn as a
// small white sphere and carrying a cubic hit box around its position.
class Bullet {
public:
    static constexpr float BulletSpeed = 4.0f;     // world units per unit of dt
    static constexpr float BulletHalfSize = 3.0f;  // half the edge of the hit box
    static constexpr float SphereRadius = 1.0f;    // drawn radius; the box is larger

    // The box starts around the world origin (not the bullet) until the first
    // Update; it is never tested before that.
    Bullet(Vector3f position, Vector3f direction);

    // Moves by dt * BulletSpeed along direction and brings the box along.
    void Update(float dt);

    // A white sphere at position. NOTE: switches 2D texturing off and leaves
    // it off for whatever is drawn next.
    void Draw();

    bool IsAlive() const { return alive; }
    void SetAlive(bool flag) { alive = flag; }
    BoundingBox GetBoundingBox() const { return box; }  // a copy
    Vector3f GetPosition() const { return position; }
    Vector3f GetDirection() const { return direction; }

private:
    Vector3f position;   // centre of the sphere and of the box
    Vector3f direction;  // used unchanged; the game passes a unit vector
    BoundingBox box;     // position +- BulletHalfSize once moved
    bool alive;          // false once it has hit
};
