#include "WorldTestSupport.h"

#include <stb_image_write.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace worldtest {

bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb, unsigned edgeRgb)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const unsigned colour = x == 0 ? edgeRgb : rgb;
            unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(colour >> 16);
            p[1] = static_cast<unsigned char>(colour >> 8);
            p[2] = static_cast<unsigned char>(colour);
        }
    }
    return stbi_write_png(path.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}

bool WriteSolidPng(const std::string& path, int width, int height, unsigned rgb)
{
    return WriteSolidPng(path, width, height, rgb, rgb);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string AssetPath(const std::string& name)
{
    return std::string(CORVANE_SOURCE_DIR) + "/assets/" + name;
}

}  // namespace worldtest
