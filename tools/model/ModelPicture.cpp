#include "ModelPicture.h"

#include "0-math/Matrix4f.h"
#include "2-mesh/Mesh.h"
#include "4-game/GlWindow.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

constexpr float StartAngleH = 0;   // the ship's angles when the game starts
constexpr float StartAngleV = 90;
constexpr double FieldOfView = 45;  // the game's vertical field of view, degrees
constexpr double Pi = 3.141592653589793;

struct Sphere {
    double x, y, z, radius;
};

// A sphere around the union of the boxes the last draw left; a unit
// sphere at the origin when there is no usable box.
Sphere FrameOf(const std::vector<BoundingBox>& boxes)
{
    double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX};
    double hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    bool any = false;
    for (const BoundingBox& box : boxes) {
        const double bl[3] = {box.min.x, box.min.y, box.min.z};
        const double bh[3] = {box.max.x, box.max.y, box.max.z};
        bool usable = true;
        for (int a = 0; a < 3; a++)
            usable = usable && std::isfinite(bl[a]) && std::isfinite(bh[a]) && bl[a] <= bh[a] &&
                     std::fabs(bl[a]) < 1e15 && std::fabs(bh[a]) < 1e15;
        if (!usable)
            continue;
        any = true;
        for (int a = 0; a < 3; a++) {
            lo[a] = std::min(lo[a], bl[a]);
            hi[a] = std::max(hi[a], bh[a]);
        }
    }
    if (!any)
        return {0, 0, 0, 1};
    const double dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    double radius = 0.5 * std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(radius > 1e-6))
        radius = 1;
    return {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2, radius};
}

// The game's state at the start of a frame, on an opaque white background so
// that the picture has no transparent pixels.
void SetGameState(int width, int height)
{
    GlWindow::SetStartingState();
    glClearColor(1, 1, 1, 1);
    glViewport(0, 0, width, height);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The placement Ship::Draw gives the model at the start, and the matching box matrix.
Matrix4f StartPose()
{
    glRotatef(StartAngleH, 0, 1, 0);
    glRotatef(StartAngleV, 1, 0, 0);
    Matrix4f pose;
    pose.SetRotation(StartAngleV, StartAngleH, 0);
    return pose;
}

void PlaceCamera(ModelView view, const Sphere& frame, int width, int height)
{
    const double distance = frame.radius / std::sin(FieldOfView / 2 * Pi / 180);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, static_cast<double>(width) / height, std::max(0.1, (distance - frame.radius) * 0.5),
                   std::max(10000.0, (distance + frame.radius) * 2));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    double eye[3] = {frame.x, frame.y, frame.z};
    double up[3] = {0, 1, 0};
    switch (view) {
    case ModelView::Game: eye[2] -= distance; break;
    case ModelView::Front: eye[2] += distance; break;
    case ModelView::Top: eye[1] += distance; up[1] = 0; up[2] = 1; break;
    case ModelView::Side: eye[0] -= distance; break;
    }
    gluLookAt(eye[0], eye[1], eye[2], frame.x, frame.y, frame.z, up[0], up[1], up[2]);
}

}  // namespace

bool ParseModelView(const std::string& name, ModelView& view)
{
    if (name == "game") view = ModelView::Game;
    else if (name == "front") view = ModelView::Front;
    else if (name == "top") view = ModelView::Top;
    else if (name == "side") view = ModelView::Side;
    else return false;
    return true;
}

bool WriteModelPicture(Mesh& mesh, ModelView view, int width, int height, const std::string& pngPath,
                       std::string& error)
{
    GLuint framebuffer = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    if (complete) {
        // A first draw moves the boxes into the start pose; the second is the picture.
        SetGameState(width, height);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        mesh.Render(StartPose());
        const Sphere frame = FrameOf(mesh.GetBoundingBoxes());

        SetGameState(width, height);
        PlaceCamera(view, frame, width, height);
        glPushMatrix();
        const Matrix4f pose = StartPose();
        mesh.Render(pose);
        glPopMatrix();
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &depth);
    glDeleteRenderbuffers(1, &colour);
    glDeleteFramebuffers(1, &framebuffer);
    if (!complete) {
        error = "could not create an offscreen framebuffer to draw into";
        return false;
    }

    // OpenGL rows run bottom to top, PNG rows top to bottom.
    const int stride = width * 4;
    const unsigned char* last = pixels.data() + static_cast<size_t>(height - 1) * stride;
    if (stbi_write_png(pngPath.c_str(), width, height, 4, last, -stride) == 0) {
        error = "could not write the picture to '" + pngPath + "'";
        return false;
    }
    return true;
}
