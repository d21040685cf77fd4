#include "Ship.h"

#include "0-math/MathUtils.h"
#include "0-math/Matrix4f.h"
#include "2-mesh/Mesh.h"

#include <GL/gl.h>

namespace {
const char* const ModelFile = "Ship2.dae";
// The pointer starts at the centre of the 800x600 window, where the camera warps it.
constexpr int StartMouseX = 400;
constexpr int StartMouseY = 300;
}

Ship::Ship(Vector3f position, Vector3f direction, float speed)
    : direction(direction), mesh(nullptr), position(position), speed(speed)
{
    angleH = RadiansToDegrees(Atan2f(direction.x, direction.y));
    angleV = RadiansToDegrees(Atan2f(direction.z, Sqrtf(direction.x * direction.x + direction.y * direction.y)));
    lastMouseX = StartMouseX;
    lastMouseY = StartMouseY;
    thrust = 0;

    mesh = new Mesh();
    mesh->Load(ModelFile);
}

Ship::~Ship()
{
    delete mesh;
}

void Ship::Update(float dt)
{
    if (thrust != 1)
        return;
    const Vector3f nextPos = position + direction * (speed * dt);
    if (nextPos.y > Floor)
        position = nextPos;
}

void Ship::OnMouse(int x, int y)
{
    const int dx = x - lastMouseX;
    const int dy = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    Turn(static_cast<float>(dx), static_cast<float>(dy));
}

void Ship::Turn(float right, float down)
{
    angleH -= right;
    angleV += down;
    UpdateDirection();
}

void Ship::UpdateDirection()
{
    // NOTE: the turn about the vertical axis is by angleV, and the tilt about
    // the horizontal one by angleH: the reverse of the camera. The frame
    // overwrites direction with the camera's anyway; keep it as it is.
    Vector3f haxis;
    direction = Vector3f::FromTurnAndTilt(angleV, angleH, haxis);
}

void Ship::Draw()
{
    glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glRotatef(angleH, 0.0f, 1.0f, 0.0f);
        glRotatef(angleV, 1.0f, 0.0f, 0.0f);

        // The same placement as a matrix, for the model's sub-mesh boxes only:
        // what is drawn is placed by the OpenGL matrix above.
        Matrix4f pos;
        pos.SetTranslation(position.x, position.y, position.z);
        Matrix4f rotate;
        rotate.SetRotation(angleV, angleH, 0.0f);
        const Matrix4f worldTrans = pos * rotate;
        mesh->Render(worldTrans);
    glPopMatrix();
}

std::vector<BoundingBox> Ship::GetBoundingBoxes()
{
    return mesh->GetBoundingBoxes();
}
