#include "SkyImages.h"

#include "Noise.h"

#include <cmath>

namespace {

constexpr std::uint32_t Seed = 777;

struct Corner {
    int x, y, z;  // cube corner, each -1 or +1
};

// Per face, the cube corners at texture coordinates (0, 0), (1, 0) and
// (0, 1), as the sky box places them. Image row 0 is t = 0.
struct FacePlacement {
    SkyFace face;
    const char* fileName;
    Corner at00, at10, at01;
};

const FacePlacement Placements[6] = {
    {SkyFace::Up, "up.png", {1, 1, 1}, {-1, 1, 1}, {1, 1, -1}},
    {SkyFace::Down, "down.png", {-1, -1, 1}, {1, -1, 1}, {-1, -1, -1}},
    {SkyFace::Out, "out.png", {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}},
    {SkyFace::In, "in.png", {1, -1, 1}, {-1, -1, 1}, {1, 1, 1}},
    {SkyFace::Left, "left.png", {-1, -1, 1}, {-1, -1, -1}, {-1, 1, 1}},
    {SkyFace::Right, "right.png", {1, -1, -1}, {1, -1, 1}, {1, 1, -1}},
};

struct Colour {
    double r, g, b;
};

Colour Mix(const Colour& a, const Colour& b, double t)
{
    return {noise::Mix(a.r, b.r, t), noise::Mix(a.g, b.g, t), noise::Mix(a.b, b.b, t)};
}

// Unit vector towards the sun: about 20 degrees right of the start view (+z)
// and 14 degrees above the horizon.
constexpr double SunX = 0.3318;
constexpr double SunY = 0.2419;
constexpr double SunZ = 0.9118;

const Colour Zenith = {0.16, 0.36, 0.76};
const Colour Horizon = {0.72, 0.83, 0.93};
const Colour Haze = {0.70, 0.76, 0.80};
const Colour Nadir = {0.42, 0.47, 0.45};
const Colour Sun = {1.00, 0.98, 0.90};
const Colour Glow = {1.00, 0.93, 0.75};

// The sky's colour in direction (dx, dy, dz), a unit vector.
Colour SkyColour(double dx, double dy, double dz)
{
    Colour c;
    if (dy >= 0) {
        c = Mix(Horizon, Zenith, std::sqrt(dy));
    } else {
        c = Mix(Haze, Nadir, noise::SmoothStep(0, 0.5, -dy));
        c = Mix(Horizon, c, noise::SmoothStep(0, 0.06, -dy));
    }

    // Clouds on a flat layer overhead, thinning out towards the horizon.
    if (dy > 0) {
        const double height = dy > 0.04 ? dy : 0.04;
        const double px = dx / height;
        const double pz = dz / height;
        const double cover = noise::Fractal2(px * 1.1, pz * 1.1, 6, 0.55, Seed);
        const double fade = noise::SmoothStep(0.02, 0.3, dy);
        const double density = noise::SmoothStep(0.0, 0.45, cover) * fade;
        const double underside = 0.12 * noise::Fractal2(px * 2.3 + 9.1, pz * 2.3 + 3.7, 4, 0.5, Seed + 1);
        const double lit = 0.93 - underside;
        c = Mix(c, Colour{lit, lit, lit + 0.03}, density * 0.9);
    }

    // The sun: a bright disc inside a warm glow.
    double k = dx * SunX + dy * SunY + dz * SunZ;
    if (k > 0) {
        const double k2 = k * k, k4 = k2 * k2, k8 = k4 * k4, k16 = k8 * k8, k64 = k16 * k16 * k16 * k16;
        c = Mix(c, Glow, 0.35 * k8 + 0.5 * k64);
        c = Mix(c, Sun, noise::SmoothStep(0.9993, 0.9996, k));
    }
    return c;
}

}  // namespace

RgbImage MakeSkyFace(SkyFace face)
{
    const int n = SkyFaceSize;
    const int last = n - 1;
    const FacePlacement* p = &Placements[0];
    for (const FacePlacement& candidate : Placements) {
        if (candidate.face == face)
            p = &candidate;
    }

    RgbImage image(n, n);
    for (int row = 0; row < n; row++) {
        for (int col = 0; col < n; col++) {
            // The point of the cube under this texel, scaled by (n - 1) to
            // stay in integers: texel (0, 0) is corner at00, texel (n - 1, 0)
            // corner at10, texel (0, n - 1) corner at01. Two faces meeting at
            // an edge compute the same integers there.
            const int x = last * p->at00.x + col * (p->at10.x - p->at00.x) + row * (p->at01.x - p->at00.x);
            const int y = last * p->at00.y + col * (p->at10.y - p->at00.y) + row * (p->at01.y - p->at00.y);
            const int z = last * p->at00.z + col * (p->at10.z - p->at00.z) + row * (p->at01.z - p->at00.z);
            const double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y +
                                            static_cast<double>(z) * z);
            const Colour c = SkyColour(x / length, y / length, z / length);
            image.Set(col, row, c.r, c.g, c.b);
        }
    }
    return image;
}

bool WriteSkyImages(const std::string& outDir, std::string& error)
{
    const std::string folder = outDir + "/Skybox";
    if (!MakeFolder(folder, error))
        return false;
    for (const FacePlacement& p : Placements) {
        if (!WritePng(folder + "/" + p.fileName, MakeSkyFace(p.face), error))
            return false;
    }
    return true;
}
