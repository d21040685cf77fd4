#include "GroundImage.h"

#include "Noise.h"

namespace {

constexpr std::uint32_t Seed = 4242;

}  // namespace

RgbImage MakeGroundImage()
{
    const int n = GroundImageSize;
    RgbImage image(n, n);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            // Lattice units: base periods of 4, 8 and 32 cells across the image.
            const double u4 = x * 4.0 / n, v4 = y * 4.0 / n;
            const double u8 = x * 8.0 / n, v8 = y * 8.0 / n;
            const double u32 = x * 32.0 / n, v32 = y * 32.0 / n;

            const double patches = noise::Fractal2(u4, v4, 5, 0.55, Seed, 4);
            const double stones = noise::Fractal2(u8 + 0.37, v8 + 0.61, 4, 0.5, Seed + 1, 8);
            const double tufts = noise::Fractal2(u32, v32, 2, 0.5, Seed + 2, 32);

            // Grass, turning to dry grass and earth where the patch noise is high.
            const double earth = noise::SmoothStep(0.05, 0.35, patches);
            const double dry = noise::SmoothStep(-0.25, 0.15, patches);
            double r = noise::Mix(0.55, 0.72, dry);
            double g = noise::Mix(0.78, 0.74, dry);
            double b = noise::Mix(0.40, 0.45, dry);
            r = noise::Mix(r, 0.80, earth);
            g = noise::Mix(g, 0.66, earth);
            b = noise::Mix(b, 0.48, earth);

            // Pale stone outcrops.
            const double stone = noise::SmoothStep(0.30, 0.42, stones);
            r = noise::Mix(r, 0.84, stone);
            g = noise::Mix(g, 0.83, stone);
            b = noise::Mix(b, 0.80, stone);

            // Gentle light and shade so no two tiles look flat.
            const double shade = 1 + 0.10 * tufts + 0.08 * patches;
            image.Set(x, y, r * shade, g * shade, b * shade);
        }
    }
    return image;
}

bool WriteGroundImage(const std::string& outDir, std::string& error)
{
    return WritePng(outDir + "/ground.png", MakeGroundImage(), error);
}
