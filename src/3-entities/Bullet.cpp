#include "Bullet.h"

#include "0-math/Matrix4f.h"

#include <GL/freeglut.h>

namespace {
constexpr int SphereSlices = 10;
constexpr int SphereStacks = 10;
}

Bullet::Bullet(Vector3f position, Vector3f direction) : position(position), direction(direction)
{
    const float h = BulletHalfSize;
    box.SetLocalMin(Vector4f(-h, -h, -h, 1.0f));
    box.SetLocalMax(Vector4f(h, h, h, 1.0f));
    box.SetMax(Vector4f(h, h, h, 1.0f));
    box.SetMin(Vector4f(-h, -h, -h, 1.0f));
    alive = true;
}

void Bullet::Update(float dt)
{
    const float step = dt * BulletSpeed;
    position = position + direction * step;

    Matrix4f translation;
    translation.SetTranslation(position.x, position.y, position.z);
    box.Transform(translation);
}

void Bullet::Draw()
{
    // NOTE: texturing stays off afterwards; the frame re-enables it for the towers.
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTranslatef(position.x, position.y, position.z);
        glutSolidSphere(SphereRadius, SphereSlices, SphereStacks);
    glPopMatrix();
}
