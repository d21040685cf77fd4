#pragma once

#include "ImageFiles.h"

#include <string>

// The desktop icon: the start of play in a rounded square (the ship seen
// from behind, wings level, engines glowing, over hills under a blue sky),
// with transparent corners. Drawn from shapes at any size, so each size is
// sharp rather than scaled.
RgbaImage MakeIconImage(int size);

// Writes "icons/hicolor/48x48/apps/corvane.png" and the same at 256x256 into
// outDir: an icon theme's folders, as they are installed. The game does not
// read them.
bool WriteIconImages(const std::string& outDir, std::string& error);
