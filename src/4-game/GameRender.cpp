// Drawing one frame.
#include "Game.h"

#include "Camera.h"
#include "1-world/Ground.h"
#include "1-world/Skybox.h"
#include "1-world/Terrain.h"
#include "1-world/Texture.h"
#include "3-entities/Particles.h"
#include "3-entities/Ship.h"

#include <GL/glew.h>
#include <GL/glu.h>

namespace {

// The three tower props, drawn in this order, their middles on the ground.
const Vector3f TowerPositions[] = {
    Vector3f(0.0f, Ground::Height, -30.0f),
    Vector3f(-30.0f, Ground::Height, -30.0f),
    Vector3f(30.0f, Ground::Height, -30.0f),
};

struct TowerVertex {
    float s, t;
    float x, y, z;
};

// Six four-vertex faces within x -5..0, y -Game::TowerTop..Game::TowerTop, z -5..0: the top, the front
// (z = 0), the side (x = 0), a strip at x = -1, a face from the top corner to
// the bottom, and the back (z = -5).
// NOTE: faces 1 and 5 carry no texture coordinates of their own; they take
// (1, 0), the one the previous face (or tower) leaves current.
const TowerVertex TowerFaces[24] = {
    {1, 0, 0, 5, 0},   {1, 0, 0, 5, -5},   {1, 0, -5, 5, -5},  {1, 0, -5, 5, 0},
    {0, 0, 0, 5, 0},   {1, 0, -5, 5, 0},   {1, 1, -5, -5, 0},  {0, 1, 0, -5, 0},
    {0, 0, 0, 5, 0},   {1, 0, 0, -5, 0},   {1, 1, 0, -5, -5},  {0, 1, 0, 5, -5},
    {0, 0, -1, 5, 0},  {0, 1, -1, 5, -1},  {1, 1, -1, -5, -1}, {1, 0, -1, -5, 0},
    {1, 0, 0, 5, 0},   {1, 0, 0, -5, -5},  {1, 0, -5, -5, -5}, {1, 0, -5, -5, 0},
    {0, 0, 0, 5, -5},  {1, 0, -5, 5, -5},  {1, 1, -5, -5, -5}, {1, 0, 0, -5, -5},
};

// Before each group of objects: opaque white, no texture.
void ResetColourAndTexture()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void DrawTower()
{
    glBegin(GL_QUADS);
    for (const TowerVertex& v : TowerFaces) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

}  // namespace

Vector3f Game::GetEye() const
{
    const Vector3f shipPosition = ship->GetPosition();
    const Vector3f view = camera->GetTarget();
    return lookBack ? shipPosition + view * EyeDistance : shipPosition - view * EyeDistance;
}

void Game::Render()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);  // for the next frame's clear
    glEnable(GL_TEXTURE_2D);

    // Chase view: the eye behind the ship; while lookBack, in front of it.
    const Vector3f shipPosition = ship->GetPosition();
    const Vector3f eye = GetEye();

    // The ship faces where the camera looks, from this frame on.
    ship->direction = camera->GetTarget();

    // The drop comes first on the stack, so it acts in eye space: the ship
    // sits below the centre of the screen.
    const Vector3f up = camera->GetUp();
    glTranslatef(0.0f, -ViewDrop, 0.0f);
    gluLookAt(eye.x, eye.y, eye.z, shipPosition.x, shipPosition.y, shipPosition.z, up.x, up.y, up.z);

    ResetColourAndTexture();
    glPushMatrix();
        skybox->Draw(eye.x, eye.y, eye.z);
    glPopMatrix();

    ResetColourAndTexture();
    glPushMatrix();
        ship->Draw();
    glPopMatrix();

    ResetColourAndTexture();
    glPushMatrix();
        glTranslatef(0.0f, Ground::Height, 0.0f);
        terrain->Draw();
    glPopMatrix();

    // NOTE: drawing a bullet switches texturing off and leaves it off.
    ResetColourAndTexture();
    for (Bullet& bullet : bullets) {
        if (bullet.IsAlive())
            bullet.Draw();
    }

    ResetColourAndTexture();
    glEnable(GL_TEXTURE_2D);
    for (const Vector3f& position : TowerPositions) {
        towerTexture->Bind();
        glPushMatrix();
            glTranslatef(position.x, position.y, position.z);
            DrawTower();
        glPopMatrix();
    }

    ResetColourAndTexture();
    for (Particles* explosion : explosions)
        explosion->Draw();
}
