#pragma once

#include "Matrix4f.h"
#include "Vector3f.h"

// What a drawing needs to know of the view it is drawn in, handed to it by
// the frame instead of read back from OpenGL: where the eye is, where points
// land, and the viewport's size. Everything is in the coordinates of the
// frame drawn in (the drawing's own, before its model-view). Plain value type.
class View {
public:
    Vector3f eye;             // the eye's position
    Matrix4f viewProjection;  // projection x model-view: a point to clip coordinates
    float focalScale;         // the projection's m[1][1], 1 / tan(half the vertical field of view); 0 without perspective
    int width, height;        // the viewport, pixels

    View() {}  // NOTE: leaves the fields unset
    // The view OpenGL draws with through modelView, which must be rigid (a
    // rotation and a translation), and projection, on a viewport of width x
    // height pixels.
    View(const Matrix4f& modelView, const Matrix4f& projection, int width, int height);

    // Pixels an angle of one radian spans up the middle of the view; 0
    // without perspective.
    float PixelsPerRadian() const { return 0.5f * static_cast<float>(height) * focalScale; }
};
