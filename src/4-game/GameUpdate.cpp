// The game tick and the input handlers.
#include "Game.h"

#include "Camera.h"
#include "GameSounds.h"
#include "0-math/MathUtils.h"
#include "3-entities/Particles.h"
#include "3-entities/Ship.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned char SpaceKey = 32;

// The widest window (width / height) for which bullets are released unseen.
constexpr double MaxAspect = 4.0;

// Beyond this distance from the ship a bullet cannot be inside the view
// volume, whichever way the camera looks: a point of the frustum at depth z
// lies within z * sqrt(1 + t^2 (1 + a^2)) of the eye (t the tangent of half
// the vertical field of view, a the aspect) plus the view drop, the eye is
// EyeDistance from the ship, and the sphere adds its radius. Plain distance
// beyond the far plane is not enough: off the view axis, depth is less than
// distance.
const float ReleaseDistance = [] {
    const double t = std::tan(Game::FieldOfView / 2.0 * Pi / 180.0);
    const double reach = Game::FarPlane * std::sqrt(1.0 + t * t * (1.0 + MaxAspect * MaxAspect));
    return static_cast<float>(reach + Game::ViewDrop + Game::EyeDistance + Bullet::SphereRadius);
}();

float Distance(Vector3f a, Vector3f b)
{
    const Vector3f d = a - b;
    return Sqrtf(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace

float Game::TickDt(float previousMilliseconds, float nowMilliseconds)
{
    const double elapsed = static_cast<double>(nowMilliseconds) - static_cast<double>(previousMilliseconds);
    return static_cast<float>(elapsed / MillisecondsPerDtUnit);
}

float Game::Update(float dt)
{
    camera->Update();
    // NOTE: whole steps of StepDt, never one step of the whole dt nor shorter
    // ones. A bullet flies 4 units a step and its hit box reaches 3 either
    // side, so a step of at most one unit keeps a steep shot from passing
    // through the target layer into the ground; and an explosion spreads by
    // its clock times its number of updates, so only steps of exactly one
    // unit keep its size at a given game time the same at every frame rate.
    const int steps = clock.Tick(dt);
    for (int i = 0; i < steps; i++)
        Step();
    return static_cast<float>(steps) * StepDt;
}

void Game::Step()
{
    const float dt = StepDt;
    ship->Update(dt);

    // Bullets in firing order. Survivors move towards the front in the same
    // pass, so the order (and with it the order of explosions) is kept.
    const Vector3f shipPosition = ship->GetPosition();
    size_t kept = 0;
    for (size_t i = 0; i < bullets.size(); i++) {
        Bullet& bullet = bullets[i];
        if (bullet.IsAlive()) {
            bullet.Update(dt);
            if (bullet.GetBoundingBox().Intersects(targetBox)) {
                Particles* explosion = new Particles();
                explosion->Init(bullet.GetPosition());  // where it is after this step's move
                explosions.push_back(explosion);
                if (sounds != nullptr)
                    sounds->OnBurst(bullet.GetPosition());
                bullet.SetAlive(false);
            }
        }
        // A dead bullet is never drawn or tested again, so it goes at once.
        if (!bullet.IsAlive() || IsOutOfPlay(bullet, shipPosition))
            continue;
        if (kept != i)
            bullets[kept] = bullet;
        kept++;
    }
    bullets.erase(bullets.begin() + kept, bullets.end());

    // Explosions, including those made just now. One whose particles are all
    // spent draws nothing from then on and is released.
    kept = 0;
    for (size_t j = 0; j < explosions.size(); j++) {
        Particles* explosion = explosions[j];
        explosion->Update(dt);
        if (explosion->IsSpent()) {
            delete explosion;
            continue;
        }
        explosions[kept++] = explosion;
    }
    explosions.resize(kept);
}

bool Game::IsOutOfPlay(const Bullet& bullet, Vector3f shipPosition) const
{
    // It can never hit while its box stays above the target region, which it
    // does when it is not descending.
    const bool aboveTarget = bullet.GetDirection().y >= 0.0f &&
                             bullet.GetBoundingBox().GetMin().y > targetBox.GetMax().y;
    if (!aboveTarget)
        return false;
    // It flies faster than the ship, so once beyond ReleaseDistance it only
    // recedes further: never on screen again.
    static_assert(Bullet::BulletSpeed > ShipSpeed, "releasing far bullets needs bullets faster than the ship");
    return Distance(bullet.GetPosition(), shipPosition) > ReleaseDistance;
}

void Game::Fire()
{
    bullets.push_back(Bullet(ship->GetPosition(), camera->GetTarget()));
    if (sounds != nullptr)
        sounds->OnShot(ship->GetPosition());
}

void Game::OnMouse(int button, int state, int x, int y)
{
    (void)x;
    (void)y;
    if (button == GLUT_RIGHT_BUTTON) {
        if (state == GLUT_DOWN)
            rightHeld = true;
        else if (state == GLUT_UP)
            rightHeld = false;
        lookBack = rightHeld || padFront;
    }
    if ((button == GLUT_LEFT_BUTTON || button == GLUT_RIGHT_BUTTON) && state == GLUT_DOWN)
        Fire();
}

void Game::OnPassiveMotion(int x, int y)
{
    camera->OnMouse(x, y);
    ship->OnMouse(x, y);
    glutPostRedisplay();
}

void Game::OnKeyDown(unsigned char key)
{
    if (key == SpaceKey) {
        spaceHeld = true;
        ship->SetThrust(1);
    }
    glutPostRedisplay();
}

void Game::OnKeyUp(unsigned char key)
{
    if (key == SpaceKey) {
        spaceHeld = false;
        ship->SetThrust(padThrust ? 1 : 0);
    }
}

void Game::Turn(float right, float down)
{
    camera->Turn(right, down);
    ship->Turn(right, down);
}

void Game::OnPadFire()
{
    Fire();
}

void Game::OnPadThrust(bool held)
{
    padThrust = held;
    ship->SetThrust(spaceHeld || padThrust ? 1 : 0);
}

void Game::OnPadFront(bool held)
{
    const bool pressed = held && !padFront;
    padFront = held;
    lookBack = rightHeld || padFront;
    if (pressed)
        Fire();
}

void Game::OnReshape(int newWidth, int newHeight)
{
    if (newWidth <= 0 || newHeight <= 0)
        return;
    viewportWidth = newWidth;
    viewportHeight = newHeight;
}
