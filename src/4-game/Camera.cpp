#include "Camera.h"

#include "0-math/MathUtils.h"

#include <GL/freeglut.h>

#include <cmath>

Camera::Camera(int windowWidth, int windowHeight, Vector3f position, Vector3f target)
    : position(position), target(target), up(0.0f, 1.0f, 0.0f),
      windowWidth(windowWidth), windowHeight(windowHeight)
{
    this->target.Normalize();

    // Angles from the direction as given (its length does not matter),
    // evaluated in double and stored as float.
    const double x = target.x, y = target.y, z = target.z;
    angleH = static_cast<float>(std::atan2(z, std::sqrt(x * x + y * y)) * 180.0 / Pi);
    angleV = static_cast<float>(std::atan2(x, y) * 180.0 / Pi);

    lastMouseX = this->windowWidth / 2;
    lastMouseY = this->windowHeight / 2;
    // The only place the pointer is moved: mouse-look never re-centres it.
    glutWarpPointer(lastMouseX, lastMouseY);
}

void Camera::OnMouse(int x, int y)
{
    const int dx = x - lastMouseX;
    const int dy = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    Turn(static_cast<float>(dx), static_cast<float>(dy));
}

void Camera::Turn(float right, float down)
{
    angleH -= right;
    angleV += down;
    Update();
}

void Camera::Update()
{
    Vector3f haxis;
    target = Vector3f::FromTurnAndTilt(angleH, angleV, haxis);
    up = target.Cross(haxis);
    up.Normalize();
}
