#pragma once

#include <cstdint>
#include <string>
#include <vector>

// File writers for the asset generator. Each returns false with a sentence
// in error when the file cannot be written.

// An RGB image, 3 bytes per pixel, top row first.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, 0) {}
    void Set(int x, int y, double r, double g, double b);  // channels in [0, 1], clamped
};

// An RGBA image, 4 bytes per pixel, top row first; alpha not premultiplied.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
    void Set(int x, int y, double r, double g, double b, double a);  // channels in [0, 1], clamped
};

bool MakeFolder(const std::string& path, std::string& error);
bool WritePng(const std::string& path, const RgbImage& image, std::string& error);
bool WritePng(const std::string& path, const RgbaImage& image, std::string& error);
bool WriteTga(const std::string& path, const RgbImage& image, std::string& error);  // uncompressed, 24 bits
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
