#pragma once

// Helpers shared by the world tests: files in a temporary folder and a
// working directory that is restored afterwards.

#include <string>
#include <vector>

namespace worldtest {

// Changes the working directory for the lifetime of the object.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous;
};

// Writes a PNG of width x height pixels, every pixel of the given RGB colour
// except column 0, which gets edgeColour.
bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb, unsigned edgeRgb);
bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb);

std::string ReadFileBytes(const std::string& path);  // empty when missing

std::string AssetPath(const std::string& name);  // a committed asset under assets/

}  // namespace worldtest
