#include "IconImage.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t Seed = 7310;
constexpr int Samples = 6;  // per pixel and axis, for smooth edges at every size
const int Sizes[] = {48, 256};

// Positions are fractions of the icon's side, y down.
struct Point {
    double x, y;
};

struct Colour {
    double r, g, b;
};
Colour Mix(Colour a, Colour b, double t) { return {noise::Mix(a.r, b.r, t), noise::Mix(a.g, b.g, t), noise::Mix(a.b, b.b, t)}; }
Colour Scale(Colour c, double s) { return {c.r * s, c.g * s, c.b * s}; }

// Signed distances: negative inside a shape, positive outside.
double Length(double x, double y) { return std::sqrt(x * x + y * y); }

double Disc(Point p, Point centre, double radius)
{
    return Length(p.x - centre.x, p.y - centre.y) - radius;
}

// Close enough to the true distance near the edge, which is all the edges need.
double Ellipse(Point p, Point centre, double rx, double ry)
{
    return (Length((p.x - centre.x) / rx, (p.y - centre.y) / ry) - 1) * std::min(rx, ry);
}

// A segment from a to b thickened by radius, with round ends.
double Capsule(Point p, Point a, Point b, double radius)
{
    const double abx = b.x - a.x, aby = b.y - a.y;
    const double t = std::clamp(((p.x - a.x) * abx + (p.y - a.y) * aby) / (abx * abx + aby * aby), 0.0, 1.0);
    return Length(p.x - a.x - t * abx, p.y - a.y - t * aby) - radius;
}

double RoundedSquare(Point p, double inset, double corner)
{
    const double half = 0.5 - inset - corner;
    const double qx = std::max(std::fabs(p.x - 0.5) - half, 0.0), qy = std::max(std::fabs(p.y - 0.5) - half, 0.0);
    return Length(qx, qy) - corner;
}

// The ship from behind, as the chase camera first shows it.
const Point WingLeft = {0.17, 0.635}, WingRight = {0.83, 0.635};
constexpr double WingHalfThickness = 0.026;
constexpr double WingStripe = 0.27;  // wing tips red beyond this distance from the centre
const Point FinRootLeft = {0.455, 0.56}, FinTipLeft = {0.405, 0.40};
const Point FinRootRight = {0.545, 0.56}, FinTipRight = {0.595, 0.40};
constexpr double FinHalfThickness = 0.018;
constexpr double FinStripe = 0.45;  // fins red above this height
const Point Hull = {0.5, 0.585};
constexpr double HullRx = 0.09, HullRy = 0.11;
const Point Canopy = {0.5, 0.505};
constexpr double CanopyRx = 0.045, CanopyRy = 0.035;
const Point EngineLeft = {0.46, 0.63}, EngineRight = {0.54, 0.63};
constexpr double EngineRadius = 0.034, GlowRadius = 0.027;
constexpr double Outline = 0.012;  // dark rim around the ship, so it reads at 48 pixels

const Colour Outlined = {0.10, 0.10, 0.14};
const Colour HullGrey = {0.86, 0.88, 0.92};
const Colour WingGrey = {0.76, 0.78, 0.82};
const Colour StripeRed = {0.78, 0.12, 0.10};
const Colour Glass = {0.12, 0.22, 0.48};
const Colour Metal = {0.30, 0.30, 0.34};

double Wings(Point p) { return Capsule(p, WingLeft, WingRight, WingHalfThickness); }
double Fins(Point p)
{
    return std::min(Capsule(p, FinRootLeft, FinTipLeft, FinHalfThickness), Capsule(p, FinRootRight, FinTipRight, FinHalfThickness));
}
double Engines(Point p) { return std::min(Disc(p, EngineLeft, EngineRadius), Disc(p, EngineRight, EngineRadius)); }

Colour Landscape(Point p)
{
    const double horizon = 0.64 + 0.035 * noise::Fractal2(p.x * 3, 0.5, 3, 0.5, Seed);
    if (p.y < horizon) {
        Colour sky = Mix({0.18, 0.36, 0.72}, {0.72, 0.83, 0.95}, noise::SmoothStep(0.0, horizon, p.y));
        const double sun = Disc(p, {0.25, 0.26}, 0.06);
        sky = Mix(sky, {1.0, 0.96, 0.82}, 0.45 * (1 - noise::SmoothStep(0.0, 0.14, sun)));
        return Mix(sky, {1.0, 0.98, 0.90}, 1 - noise::SmoothStep(-0.004, 0.004, sun));
    }
    const double patches = noise::Fractal2(p.x * 6, p.y * 6, 3, 0.55, Seed + 1);
    const Colour ground = Mix({0.34, 0.55, 0.24}, {0.56, 0.43, 0.28}, noise::SmoothStep(0.0, 0.3, patches));
    // Haze towards the horizon, shade towards the viewer.
    const double depth = noise::SmoothStep(horizon, 1.0, p.y);
    return Scale(Mix({0.62, 0.72, 0.78}, ground, noise::SmoothStep(0.0, 0.25, depth)), 1.0 - 0.25 * depth);
}

Colour EngineGlow(Point p, Point centre)
{
    const double d = Length(p.x - centre.x, p.y - centre.y) / GlowRadius;
    if (d < 0.4)
        return Mix({1.0, 1.0, 0.9}, {1.0, 0.75, 0.25}, d / 0.4);
    return Mix({1.0, 0.75, 0.25}, {0.85, 0.2, 0.05}, std::min((d - 0.4) / 0.6, 1.0));
}

// The colour at one point inside the badge.
Colour Paint(Point p)
{
    if (std::min({Wings(p), Fins(p), Ellipse(p, Hull, HullRx, HullRy), Engines(p)}) > Outline)
        return Landscape(p);
    Colour c = Outlined;
    if (Wings(p) < 0)
        c = std::fabs(p.x - 0.5) > WingStripe ? StripeRed : WingGrey;
    if (Fins(p) < 0)
        c = p.y < FinStripe ? StripeRed : WingGrey;
    if (Ellipse(p, Hull, HullRx, HullRy) < 0)
        c = Scale(HullGrey, 1.0 - 0.3 * noise::SmoothStep(Hull.y - HullRy, Hull.y + HullRy, p.y));  // lit from above
    if (Ellipse(p, Canopy, CanopyRx, CanopyRy) < 0)
        c = Mix(Glass, {0.75, 0.88, 1.0}, 0.7 * (1 - noise::SmoothStep(0.0, 0.02, Disc(p, {0.49, 0.495}, 0.008))));
    if (Engines(p) < 0) {
        const Point centre = p.x < 0.5 ? EngineLeft : EngineRight;
        c = Disc(p, centre, GlowRadius) < 0 ? EngineGlow(p, centre) : Metal;
    }
    return c;
}

}  // namespace

RgbaImage MakeIconImage(int size)
{
    RgbaImage image(size, size);
    const double step = 1.0 / (size * Samples);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            // Colours weighted by coverage, so the badge's edge blends into
            // transparency without a dark fringe.
            double r = 0, g = 0, b = 0, covered = 0;
            for (int sy = 0; sy < Samples; sy++) {
                for (int sx = 0; sx < Samples; sx++) {
                    const Point p = {(x * Samples + sx + 0.5) * step, (y * Samples + sy + 0.5) * step};
                    if (RoundedSquare(p, 0.03, 0.18) > 0)
                        continue;
                    const Colour c = Paint(p);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    covered++;
                }
            }
            if (covered > 0)
                image.Set(x, y, r / covered, g / covered, b / covered, covered / (Samples * Samples));
        }
    }
    return image;
}

bool WriteIconImages(const std::string& outDir, std::string& error)
{
    const std::string theme = outDir + "/icons/hicolor";
    if (!MakeFolder(outDir + "/icons", error) || !MakeFolder(theme, error))
        return false;
    for (int size : Sizes) {
        const std::string folder = theme + "/" + std::to_string(size) + "x" + std::to_string(size);
        if (!MakeFolder(folder, error) || !MakeFolder(folder + "/apps", error) ||
            !WritePng(folder + "/apps/corvane.png", MakeIconImage(size), error))
            return false;
    }
    return true;
}
