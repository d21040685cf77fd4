#pragma once

// Helpers shared by the world tests: image files and committed assets.

#include <string>
#include <vector>

namespace worldtest {

// Writes a PNG of width x height pixels, every pixel of the given RGB colour
// except column 0, which gets edgeColour.
bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb, unsigned edgeRgb);
bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb);

std::string ReadFileBytes(const std::string& path);  // empty when missing

std::string AssetPath(const std::string& name);  // a committed asset under assets/

}  // namespace worldtest
