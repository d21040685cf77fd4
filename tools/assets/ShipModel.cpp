// The player's ship: a skinned, animated Collada model written as text, and
// the diffuse image its material names.
//
// Shapes are built in a ship frame (x to the side, y up, z toward the nose)
// and stored in model axes (x, z, -y): the game draws the ship turned +90
// degrees about x, which takes model +y to world +z (nose away from the chase
// camera) and model -z to world +y (up).
#include "ShipModel.h"

#include "ColladaWriter.h"
#include "ImageFiles.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const ModelFile = "Ship2.dae";
// Relative to the game's working directory, where the model also lies.
const char* const ImageFile = "ship.png";
constexpr int ImageSize = 512;
constexpr double Pi = 3.141592653589793;

struct Vec3 {
    double x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalized(Vec3 a)
{
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return length > 0 ? a * (1 / length) : Vec3{0, 1, 0};
}
Vec3 ToModel(Vec3 ship) { return {ship.x, ship.z, -ship.y}; }

// A rectangle of the image in pixels (top-left origin) that one part maps to.
struct Region {
    double x0, y0, x1, y1;
};
constexpr double Inset = 3;  // pixels kept clear of a region's edge against filtering bleed

// Image regions; the painter below fills each with its part's colours.
const Region HullRegion = {0, 0, 512, 256};         // u: tail to nose, v: around from the top
const Region WingTopRegion = {0, 256, 256, 384};    // u: root to tip, v: leading to trailing edge
const Region WingBottomRegion = {256, 256, 512, 384};
const Region FinRegion = {0, 384, 128, 512};
const Region CanopyRegion = {128, 384, 256, 512};
const Region MetalRegion = {256, 384, 384, 512};
const Region GlowRegion = {384, 384, 512, 512};

// The skeleton: Body carries everything, each wing bends on its own joint.
enum Bone { Body = 0, WingL = 1, WingR = 2, BoneCount = 3 };
const char* const BoneNames[BoneCount] = {"Body", "WingL", "WingR"};
// Wing joints in the ship frame, at the wing roots. The ship's left is +x.
const Vec3 WingJoint[2] = {{0.8, -0.15, -0.7}, {-0.8, -0.15, -0.7}};

struct ShipVertex {
    Vec3 position;  // ship frame
    Vec3 normal;    // ship frame
    double u, v;    // image pixels
    Bone bone;      // the second bone besides Body, if any
    double weight;  // of that bone; Body takes the rest
};

class ShipBuilder {
public:
    std::vector<ShipVertex> vertices;
    std::vector<unsigned int> triangles;

    // A (rows+1) x (cols+1) grid of vertices from at(i / rows, j / cols), two
    // triangles per cell.
    void Grid(int rows, int cols, const std::function<ShipVertex(double, double)>& at)
    {
        const unsigned int base = static_cast<unsigned int>(vertices.size());
        for (int i = 0; i <= rows; i++)
            for (int j = 0; j <= cols; j++)
                vertices.push_back(at(static_cast<double>(i) / rows, static_cast<double>(j) / cols));
        const unsigned int stride = static_cast<unsigned int>(cols + 1);
        for (int i = 0; i < rows; i++) {
            for (int j = 0; j < cols; j++) {
                const unsigned int a = base + i * stride + j, b = a + 1, c = a + stride, d = c + 1;
                triangles.insert(triangles.end(), {a, c, b, b, c, d});
            }
        }
    }

    // A flat disc as a fan around centre, facing normal, mapped to a circle in region.
    void Disc(Vec3 centre, Vec3 axisA, Vec3 axisB, double radius, Vec3 normal, const Region& region, int segments)
    {
        const unsigned int base = static_cast<unsigned int>(vertices.size());
        const double cu = (region.x0 + region.x1) / 2, cv = (region.y0 + region.y1) / 2;
        const double ru = (region.x1 - region.x0) / 2 - Inset, rv = (region.y1 - region.y0) / 2 - Inset;
        vertices.push_back({centre, normal, cu, cv, Body, 0});
        for (int k = 0; k <= segments; k++) {
            const double a = 2 * Pi * k / segments;
            const Vec3 p = centre + axisA * (radius * std::cos(a)) + axisB * (radius * std::sin(a));
            vertices.push_back({p, normal, cu + ru * std::cos(a), cv + rv * std::sin(a), Body, 0});
        }
        for (int k = 0; k < segments; k++)
            triangles.insert(triangles.end(), {base, base + 1 + k, base + 2 + k});
    }
};

double Map(const Region& r, bool vertical, double t)
{
    return vertical ? r.y0 + Inset + t * (r.y1 - r.y0 - 2 * Inset) : r.x0 + Inset + t * (r.x1 - r.x0 - 2 * Inset);
}

// Fuselage cross-sections from tail to nose: z, half-width, half-height.
struct Section {
    double z, rx, ry;
};
const Section Hull[] = {{-4.0, 0.75, 0.60}, {-3.5, 0.85, 0.70}, {-2.5, 0.95, 0.80}, {-1.0, 1.00, 0.85},
                        {0.5, 0.95, 0.80},  {1.8, 0.80, 0.70},  {3.0, 0.60, 0.50},  {4.0, 0.38, 0.32},
                        {4.7, 0.18, 0.15},  {5.0, 0.02, 0.02}};
constexpr int HullSections = sizeof(Hull) / sizeof(Hull[0]);
constexpr double HullTail = -4.0, HullNose = 5.0;

void AddHull(ShipBuilder& ship)
{
    ship.Grid(HullSections - 1, 24, [](double a, double b) {
        const Section& s = Hull[static_cast<int>(std::lround(a * (HullSections - 1)))];
        const double theta = 2 * Pi * b;  // 0 at the top, pi underneath
        const Vec3 p = {s.rx * std::sin(theta), s.ry * std::cos(theta), s.z};
        const Vec3 n = Normalized({std::sin(theta) / s.rx, std::cos(theta) / s.ry, 0});
        const double u = Map(HullRegion, false, (s.z - HullTail) / (HullNose - HullTail));
        return ShipVertex{p, n, u, Map(HullRegion, true, b), Body, 0};
    });
    // The flat tail the nozzles stand out of.
    ship.Disc({0, 0, HullTail}, {Hull[0].rx, 0, 0}, {0, Hull[0].ry, 0}, 1, {0, 0, -1}, MetalRegion, 24);
}

void AddCanopy(ShipBuilder& ship)
{
    const Vec3 centre = {0, 0.55, 1.3};
    const Vec3 radii = {0.42, 0.42, 1.35};
    ship.Grid(8, 16, [&](double a, double b) {
        const double lat = a * Pi / 2, lon = 2 * Pi * b;  // lat 0 at the top
        const Vec3 d = {std::sin(lat) * std::sin(lon), std::cos(lat), std::sin(lat) * std::cos(lon)};
        const Vec3 p = {centre.x + radii.x * d.x, centre.y + radii.y * d.y, centre.z + radii.z * d.z};
        const Vec3 n = Normalized({d.x / radii.x, d.y / radii.y, d.z / radii.z});
        return ShipVertex{p, n, Map(CanopyRegion, false, b), Map(CanopyRegion, true, a), Body, 0};
    });
}

// A thin lifting surface: root and tip chords (leading, trailing edge), a
// thickness direction, and the bone that bends it with its weight along the span.
struct Blade {
    Vec3 rootLead, rootTrail, tipLead, tipTrail;
    Vec3 thicknessAxis;
    double rootThickness, tipThickness;
    Region upper, lower;
    Bone bone;
    std::function<double(double)> weight;  // span fraction -> weight of bone
};

void AddBlade(ShipBuilder& ship, const Blade& blade)
{
    for (int side = 1; side >= -1; side -= 2) {
        const Region& region = side > 0 ? blade.upper : blade.lower;
        ship.Grid(6, 6, [&](double span, double chord) {
            const Vec3 mid = Lerp(Lerp(blade.rootLead, blade.rootTrail, chord), Lerp(blade.tipLead, blade.tipTrail, chord), span);
            const double thickness = blade.rootThickness + (blade.tipThickness - blade.rootThickness) * span;
            const double profile = std::pow(std::sin(Pi * chord), 0.7);
            const Vec3 p = mid + blade.thicknessAxis * (side * 0.5 * thickness * profile);
            return ShipVertex{p, blade.thicknessAxis * side, Map(region, false, span), Map(region, true, chord),
                              blade.bone, blade.weight(span)};
        });
    }
}

double WingWeight(double span)
{
    const double t = std::clamp((span - 0.05) / 0.35, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

void AddWings(ShipBuilder& ship)
{
    for (int s = 1; s >= -1; s -= 2) {
        const double dihedral = 0.3;
        Blade wing = {{s * 0.7, -0.15, 1.2},  {s * 0.7, -0.15, -2.6}, {s * 4.6, -0.15 + dihedral, -2.2},
                      {s * 4.6, -0.15 + dihedral, -3.4}, {0, 1, 0}, 0.24, 0.06, WingTopRegion, WingBottomRegion,
                      s > 0 ? WingL : WingR, WingWeight};
        AddBlade(ship, wing);
    }
}

void AddFins(ShipBuilder& ship)
{
    for (int s = 1; s >= -1; s -= 2) {
        const double cant = 18 * Pi / 180;  // leaning outward
        const Vec3 up = {s * std::sin(cant), std::cos(cant), 0};
        const Vec3 root = {s * 0.3, 0.5, 0};
        const double height = 1.7;
        Blade fin = {root + Vec3{0, 0, -2.0}, root + Vec3{0, 0, -3.9}, root + up * height + Vec3{0, 0, -3.5},
                     root + up * height + Vec3{0, 0, -4.3}, Normalized(Cross(up, {0, 0, 1})) * s, 0.14, 0.05,
                     FinRegion, FinRegion, Body, [](double) { return 0.0; }};
        AddBlade(ship, fin);
    }
}

void AddNozzles(ShipBuilder& ship)
{
    for (int s = 1; s >= -1; s -= 2) {
        const Vec3 axis = {s * 0.38, -0.05, 0};
        // Outer shell from the tail backwards, flaring.
        ship.Grid(1, 20, [&](double a, double b) {
            const double z = HullTail + 0.1 - a * 0.75, r = 0.30 + a * 0.07, t = 2 * Pi * b;
            const Vec3 n = {std::sin(t), std::cos(t), 0};
            return ShipVertex{axis + Vec3{0, 0, z} + n * r, n, Map(MetalRegion, false, b), Map(MetalRegion, true, 0.1 + 0.8 * a), Body, 0};
        });
        // Lip and throat, back into the engine.
        ship.Grid(2, 20, [&](double a, double b) {
            const double t = 2 * Pi * b;
            const double r = a <= 0.5 ? 0.37 - a * 0.16 : 0.29 - (a - 0.5) * 0.06;
            const double z = a <= 0.5 ? HullTail - 0.65 : HullTail - 0.65 + (a - 0.5) * 0.6;
            const Vec3 n = {-std::sin(t), -std::cos(t), 0};
            return ShipVertex{axis + Vec3{0, 0, z} + Vec3{std::sin(t), std::cos(t), 0} * r, n,
                              Map(MetalRegion, false, b), Map(MetalRegion, true, 0.9 - 0.8 * a), Body, 0};
        });
        ship.Disc(axis + Vec3{0, 0, HullTail - 0.35}, {0.26, 0, 0}, {0, 0.26, 0}, 1, {0, 0, -1}, GlowRegion, 20);
    }
}

// Paint ------------------------------------------------------------------

struct Colour {
    double r, g, b;
};
Colour Scale(Colour c, double s) { return {c.r * s, c.g * s, c.b * s}; }
Colour Mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

bool Inside(const Region& r, int x, int y) { return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1; }
double Fraction(double value) { return value - std::floor(value); }

const Colour HullGrey = {0.80, 0.82, 0.86};
const Colour StripeRed = {0.78, 0.12, 0.10};
const Colour MarkBlue = {0.10, 0.22, 0.55};

// The model is drawn unlit, so the image carries the shading: surfaces
// facing up are lighter than those facing down.
Colour PaintPixel(int x, int y)
{
    if (Inside(HullRegion, x, y)) {
        const double along = x / 512.0, around = y / 256.0;
        const double facing = std::cos(2 * Pi * around);  // 1 on top, -1 underneath
        Colour c = HullGrey;
        if (std::fabs(facing) < 0.07) c = StripeRed;
        if (along > 0.2 && along < 0.26 && facing > 0.3) c = MarkBlue;
        if (along > 0.93) c = {0.22, 0.22, 0.26};
        if (Fraction(along * 9) < 0.015 || Fraction(around * 8 + 0.0625) < 0.01) c = Scale(c, 0.72);
        return Scale(c, 0.6 + 0.4 * (0.5 + 0.5 * facing));
    }
    if (Inside(WingTopRegion, x, y) || Inside(WingBottomRegion, x, y)) {
        const bool top = Inside(WingTopRegion, x, y);
        const double span = (x - (top ? WingTopRegion.x0 : WingBottomRegion.x0)) / 256.0;
        const double chord = (y - WingTopRegion.y0) / 128.0;
        Colour c = top ? Colour{0.74, 0.76, 0.80} : Colour{0.46, 0.48, 0.52};
        if (span > 0.78 && span < 0.88) c = StripeRed;
        if (chord < 0.1) c = Scale(c, 0.8);
        const double dx = span * 256 - 0.55 * 256, dy = chord * 128 - 64, d = std::sqrt(dx * dx + dy * dy);
        if (top && d < 20) c = d < 8 ? StripeRed : d < 14 ? Colour{0.95, 0.95, 0.95} : MarkBlue;
        if (Fraction(span * 4) < 0.012 || Fraction(chord * 3) < 0.015) c = Scale(c, 0.75);
        return c;
    }
    if (Inside(FinRegion, x, y)) {
        const double span = (x - FinRegion.x0) / 128.0;
        Colour c = {0.70, 0.72, 0.76};
        if (span > 0.8) c = StripeRed;
        if (Fraction(span * 3) < 0.02) c = Scale(c, 0.75);
        return c;
    }
    if (Inside(CanopyRegion, x, y)) {
        // A glint on the front left of the glass, darker toward the rim.
        const double lat = (y - CanopyRegion.y0) / 128.0;  // 0 at the top of the dome
        const double lon = (x - CanopyRegion.x0) / 128.0;  // 0 toward the nose
        const double toGlint = std::min(std::fabs(lon - 0.1), 1 - std::fabs(lon - 0.1));
        const double shine = std::exp(-std::pow((lat - 0.45) / 0.15, 2) - std::pow(toGlint / 0.07, 2));
        return Mix(Scale({0.10, 0.18, 0.36}, 1 - 0.5 * lat), {0.75, 0.88, 1.0}, 0.8 * shine);
    }
    if (Inside(MetalRegion, x, y)) {
        const double t = (y - MetalRegion.y0) / 128.0;
        const double ring = Fraction(t * 6) < 0.08 ? 0.7 : 1.0;
        return Scale({0.36, 0.36, 0.40}, ring * (0.8 + 0.2 * std::sin(Pi * t)));
    }
    // Engine glow: white-hot centre through orange to a red rim.
    const double dx = x - (GlowRegion.x0 + GlowRegion.x1) / 2 + 0.5, dy = y - (GlowRegion.y0 + GlowRegion.y1) / 2 + 0.5;
    const double d = std::sqrt(dx * dx + dy * dy) / 61.0;
    if (d < 0.4) return Mix({1.0, 1.0, 0.9}, {1.0, 0.75, 0.25}, d / 0.4);
    if (d < 1.0) return Mix({1.0, 0.75, 0.25}, {0.85, 0.2, 0.05}, (d - 0.4) / 0.6);
    return {0.3, 0.08, 0.04};
}

// Collada text ------------------------------------------------------------

// Translation to t, then a turn by angle (radians) about model +y, the nose axis.
ColladaWriter::Matrix JointPose(Vec3 t, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return {c, 0, s, t.x, 0, 1, 0, t.y, -s, 0, c, t.z, 0, 0, 0, 1};
}

// Wing beat: keys in seconds and the tip-up angle in degrees; rest at both ends.
const double BeatTimes[] = {0, 0.5, 1.0, 1.5, 2.0};
const double BeatAngles[] = {0, 12, 0, -8, 0};
constexpr int BeatKeys = sizeof(BeatTimes) / sizeof(BeatTimes[0]);

std::string Collada(const ShipBuilder& ship)
{
    ColladaWriter::Scene scene;
    scene.name = "Ship";
    scene.authoringTool = "corvane-assets";
    scene.diffuseImage = ImageFile;
    for (const ShipVertex& vertex : ship.vertices) {
        const Vec3 p = ToModel(vertex.position), n = ToModel(Normalized(vertex.normal));
        scene.positions.insert(scene.positions.end(), {p.x, p.y, p.z});
        scene.normals.insert(scene.normals.end(), {n.x, n.y, n.z});
        scene.uvs.insert(scene.uvs.end(), {vertex.u / ImageSize, 1 - vertex.v / ImageSize});  // v runs up the image
        if (vertex.bone != Body && vertex.weight > 0) {
            std::vector<ColladaWriter::Weight> weights;
            if (vertex.weight < 1)
                weights.push_back({Body, 1 - vertex.weight});
            weights.push_back({vertex.bone, vertex.weight});
            scene.weights.push_back(weights);
        } else {
            scene.weights.push_back({{Body, 1}});
        }
    }
    scene.triangles = ship.triangles;

    scene.joints.push_back({BoneNames[Body], -1, ColladaWriter::Identity()});
    for (int w = 0; w < 2; w++) {
        const Vec3 joint = ToModel(WingJoint[w]);
        const Bone bone = w == 0 ? WingL : WingR;
        scene.joints.push_back({BoneNames[bone], Body, ColladaWriter::Translation(joint.x, joint.y, joint.z),
                                ColladaWriter::Translation(-joint.x, -joint.y, -joint.z)});

        ColladaWriter::Animation beat;
        beat.id = std::string(BoneNames[bone]) + "Beat";
        beat.target = BoneNames[bone];
        beat.sourceId = BoneNames[bone];
        beat.times.assign(BeatTimes, BeatTimes + BeatKeys);
        for (int k = 0; k < BeatKeys; k++) {
            // Both tips rise together: the right wing turns the other way.
            const double angle = (w == 0 ? 1 : -1) * BeatAngles[k] * Pi / 180;
            beat.poses.push_back(JointPose(joint, angle));
        }
        scene.animations.push_back(beat);
    }
    return ColladaWriter(6).Write(scene);  // six digits: far finer than the model's detail
}

}  // namespace

bool WriteShipModel(const std::string& outDir, std::string& error)
{
    ShipBuilder ship;
    AddHull(ship);
    AddCanopy(ship);
    AddWings(ship);
    AddFins(ship);
    AddNozzles(ship);

    RgbImage image(ImageSize, ImageSize);
    for (int y = 0; y < ImageSize; y++) {
        for (int x = 0; x < ImageSize; x++) {
            const Colour c = PaintPixel(x, y);
            image.Set(x, y, c.r, c.g, c.b);
        }
    }
    if (!WritePng(outDir + "/" + ImageFile, image, error))
        return false;

    const std::string text = Collada(ship);
    return WriteBytes(outDir + "/" + ModelFile, std::vector<std::uint8_t>(text.begin(), text.end()), error);
}
