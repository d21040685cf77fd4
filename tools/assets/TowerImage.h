#pragma once

#include "ImageFiles.h"

#include <string>

// The tower props' texture: weathered stone blocks in offset courses,
// 256 x 256.
constexpr int TowerImageSize = 256;

RgbImage MakeTowerImage();

// Writes "tower.tga" (uncompressed 24-bit TGA) into outDir.
bool WriteTowerImage(const std::string& outDir, std::string& error);
