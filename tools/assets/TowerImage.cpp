#include "TowerImage.h"

#include "Noise.h"

namespace {

constexpr std::uint32_t Seed = 9001;
constexpr int BlockWidth = 64;
constexpr int BlockHeight = 32;
constexpr int Mortar = 3;  // joint width in pixels

}  // namespace

RgbImage MakeTowerImage()
{
    const int n = TowerImageSize;
    RgbImage image(n, n);
    for (int y = 0; y < n; y++) {
        const int course = y / BlockHeight;
        const int shift = (course % 2) * (BlockWidth / 2);  // every other course offset by half a block
        for (int x = 0; x < n; x++) {
            const int bx = (x + shift) % n;
            const int block = bx / BlockWidth;
            const int inX = bx % BlockWidth;
            const int inY = y % BlockHeight;
            const bool joint = inX < Mortar || inY < Mortar;

            const double grain = noise::Fractal2(x / 16.0, y / 16.0, 4, 0.5, Seed, n / 16);
            const double stain = noise::Fractal2(x / 64.0, y / 64.0, 3, 0.5, Seed + 1, n / 64);
            double r, g, b;
            if (joint) {
                r = g = b = 0.30 + 0.05 * grain;
            } else {
                // Each block its own tone, lit a little more at its top edge.
                const double tone = noise::Random(block, course, Seed);
                const double light = 0.62 + 0.16 * tone + 0.07 * grain - 0.10 * (stain > 0 ? stain : 0) +
                                     (inY < Mortar + 3 ? 0.06 : 0);
                r = light * 1.04;
                g = light * 1.00;
                b = light * 0.92;
            }
            image.Set(x, y, r, g, b);
        }
    }
    return image;
}

bool WriteTowerImage(const std::string& outDir, std::string& error)
{
    return WriteTga(outDir + "/tower.tga", MakeTowerImage(), error);
}
