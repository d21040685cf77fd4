#pragma once

#include "ImageFiles.h"

#include <string>

// The ground texture: grass with patches of earth and stone, 512 x 512, tiling
// without seams (every pattern repeats with the image). Kept bright because
// the terrain multiplies it by a grey of 0.5 to 0.62, and low in fine detail
// because it is sampled without mipmaps.
constexpr int GroundImageSize = 512;

RgbImage MakeGroundImage();

// Writes "ground.png" into outDir.
bool WriteGroundImage(const std::string& outDir, std::string& error);
