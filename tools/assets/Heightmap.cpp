#include "Heightmap.h"

#include "ImageFiles.h"
#include "Noise.h"

#include <cmath>

namespace {

constexpr std::uint32_t Seed = 1709;

// Where the towers stand, in sample coordinates (column = x + 512, row =
// z + 512): the props span x -35..30 and z -35..-30 in the world.
constexpr double TowerMinColumn = 512 - 40;
constexpr double TowerMaxColumn = 512 + 35;
constexpr double TowerMinRow = 512 - 42;
constexpr double TowerMaxRow = 512 - 22;
constexpr double TowerBlend = 110;  // distance over which the level ground meets the hills

// Elevation before scaling: higher is higher ground.
double Elevation(double x, double z)
{
    // Warp the domain a little so hills and ridges do not line up with the grid.
    const double wx = x + 70 * noise::Fractal2(x / 400, z / 400, 3, 0.5, Seed + 1);
    const double wz = z + 70 * noise::Fractal2(x / 400 + 17.3, z / 400 + 4.1, 3, 0.5, Seed + 2);

    const double hills = noise::Fractal2(wx / 260, wz / 260, 7, 0.5, Seed + 3);
    const double ridges = noise::Ridged2(wx / 330, wz / 330, 6, Seed + 4);
    double e = 0.55 * hills + 0.75 * (ridges - 0.45);

    // A valley winding along z, crossing the view ahead of the start.
    const double centre = 512 + 140 * noise::Fractal2(z / 420, 0.5, 3, 0.5, Seed + 5);
    const double d = (x - centre) / 55;
    const double valley = 1 / (1 + d * d);
    e -= 0.45 * valley * valley;
    return e;
}

// Squared distance from (x, z) to the tower rectangle.
double TowerDistance(double x, double z)
{
    const double dx = x < TowerMinColumn ? TowerMinColumn - x : (x > TowerMaxColumn ? x - TowerMaxColumn : 0);
    const double dz = z < TowerMinRow ? TowerMinRow - z : (z > TowerMaxRow ? z - TowerMaxRow : 0);
    return std::sqrt(dx * dx + dz * dz);
}

}  // namespace

std::vector<std::uint8_t> MakeHeightmap()
{
    const int n = HeightmapSize;
    std::vector<double> elevation(static_cast<size_t>(n) * n);
    double low = 1e300;
    double high = -1e300;
    for (int r = 0; r < n; r++) {
        for (int c = 0; c < n; c++) {
            const double e = Elevation(c, r);
            elevation[static_cast<size_t>(r) * n + c] = e;
            low = e < low ? e : low;
            high = e > high ? e : high;
        }
    }

    const double towerLevel = 1 - TowerGroundSample / 255.0;
    std::vector<std::uint8_t> samples(elevation.size());
    for (int r = 0; r < n; r++) {
        for (int c = 0; c < n; c++) {
            double h = (elevation[static_cast<size_t>(r) * n + c] - low) / (high - low);  // 0..1, 1 highest
            h = h * h * (3 - 2 * h);  // flatter lowlands and summits, steeper slopes between
            // Level ground under the towers, with a little roughness.
            const double level = towerLevel + 0.015 * noise::Gradient2(c / 9.0, r / 9.0, Seed + 6);
            const double w = 1 - noise::SmoothStep(0, TowerBlend, TowerDistance(c, r));
            h = noise::Mix(h, level, w);
            const double sample = (1 - h) * 255;  // brighter samples lie lower
            samples[static_cast<size_t>(r) * n + c] =
                static_cast<std::uint8_t>(sample < 0 ? 0 : (sample > 255 ? 255 : sample + 0.5));
        }
    }
    return samples;
}

bool WriteHeightmap(const std::string& outDir, std::string& error)
{
    return WriteBytes(outDir + "/heightmap.raw", MakeHeightmap(), error);
}
