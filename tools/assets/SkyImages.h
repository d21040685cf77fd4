#pragma once

#include "ImageFiles.h"

#include <string>

// The six sky box faces: one continuous sky (horizon haze, blue overhead,
// clouds, a sun ahead of the start view) sampled per face through the sky
// box's own face planes and texture coordinates. The outermost texels of a
// face lie exactly on the cube's edges, so adjacent faces share their edge
// texels bit for bit and no seam shows.
constexpr int SkyFaceSize = 512;

enum class SkyFace { Up, Down, Out, In, Left, Right };

RgbImage MakeSkyFace(SkyFace face);

// Writes "Skybox/up.png", ".../down.png", "out", "in", "left" and "right"
// into outDir, creating the Skybox folder.
bool WriteSkyImages(const std::string& outDir, std::string& error);
