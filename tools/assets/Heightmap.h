#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The terrain's height samples: 1024 x 1024 bytes, row-major, brighter
// samples lower (0 is the highest ground, 255 the deepest). Fractal hills,
// ridges and a winding valley ahead of the start view; level ground, at
// sample TowerGroundSample, under the three towers near z = -30.
constexpr int HeightmapSize = 1024;
constexpr int TowerGroundSample = 64;  // local y -5: world y -45, the towers' base

std::vector<std::uint8_t> MakeHeightmap();

// Writes "heightmap.raw" into outDir.
bool WriteHeightmap(const std::string& outDir, std::string& error);
