#include "ImageFiles.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

std::uint8_t ToByte(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 1)
        return 255;
    return static_cast<std::uint8_t>(v * 255 + 0.5);
}

}  // namespace

void RgbImage::Set(int x, int y, double r, double g, double b)
{
    std::uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = ToByte(r);
    p[1] = ToByte(g);
    p[2] = ToByte(b);
}

void RgbaImage::Set(int x, int y, double r, double g, double b, double a)
{
    std::uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = ToByte(r);
    p[1] = ToByte(g);
    p[2] = ToByte(b);
    p[3] = ToByte(a);
}

bool MakeFolder(const std::string& path, std::string& error)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        error = "'" + path + "' exists but is not a folder.";
        return false;
    }
    if (mkdir(path.c_str(), 0777) != 0) {
        error = "Could not create the folder '" + path + "': " + std::strerror(errno) + ".";
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const RgbImage& image, std::string& error)
{
    if (!stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(), image.width * 3)) {
        error = "Could not write the PNG image '" + path + "'.";
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const RgbaImage& image, std::string& error)
{
    if (!stbi_write_png(path.c_str(), image.width, image.height, 4, image.pixels.data(), image.width * 4)) {
        error = "Could not write the PNG image '" + path + "'.";
        return false;
    }
    return true;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "Could not open '" + path + "' for writing: " + std::strerror(errno) + ".";
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "Could not write all of '" + path + "' (is the disk full?).";
        return false;
    }
    return true;
}

bool WriteTga(const std::string& path, const RgbImage& image, std::string& error)
{
    // 18-byte header: no id, no colour map, type 2 (uncompressed true colour),
    // 24 bits per pixel, origin at the top left (descriptor bit 5).
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = static_cast<std::uint8_t>(image.width & 0xFF);
    bytes[13] = static_cast<std::uint8_t>(image.width >> 8);
    bytes[14] = static_cast<std::uint8_t>(image.height & 0xFF);
    bytes[15] = static_cast<std::uint8_t>(image.height >> 8);
    bytes[16] = 24;
    bytes[17] = 0x20;
    bytes.reserve(bytes.size() + image.pixels.size());
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
        bytes.push_back(image.pixels[i + 2]);  // TGA stores blue, green, red
        bytes.push_back(image.pixels[i + 1]);
        bytes.push_back(image.pixels[i]);
    }
    return WriteBytes(path, bytes, error);
}
