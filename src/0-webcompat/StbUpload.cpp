#include "StbUpload.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Pixels = std::vector<unsigned char>;

struct Image {
    int width = 0, height = 0, channels = 0;
    Pixels pixels;  // rows top first, channels interleaved
};

int NextPowerOfTwo(int side)
{
    int power = 1;
    while (power < side)
        power *= 2;
    return power;
}

// Bilinear stretch to width x height, corners onto corners, rounded to nearest.
// NOTE: a side of one pixel is stretched by repeating it.
Image Stretch(const Image& from, int width, int height)
{
    Image to;
    to.width = width;
    to.height = height;
    to.channels = from.channels;
    to.pixels.resize(static_cast<size_t>(width) * height * from.channels);
    const float dx = width > 1 ? (from.width - 1.0f) / (width - 1.0f) : 0.0f;
    const float dy = height > 1 ? (from.height - 1.0f) / (height - 1.0f) : 0.0f;
    const int lastX = std::max(from.width - 2, 0), lastY = std::max(from.height - 2, 0);
    const int stepX = from.width > 1 ? from.channels : 0;
    const int stepY = from.height > 1 ? from.width * from.channels : 0;
    for (int y = 0; y < height; y++) {
        float fy = y * dy;
        const int iy = std::min(static_cast<int>(fy), lastY);
        fy -= static_cast<float>(iy);
        for (int x = 0; x < width; x++) {
            float fx = x * dx;
            const int ix = std::min(static_cast<int>(fx), lastX);
            fx -= static_cast<float>(ix);
            const unsigned char* p = &from.pixels[(static_cast<size_t>(iy) * from.width + ix) * from.channels];
            unsigned char* q = &to.pixels[(static_cast<size_t>(y) * width + x) * from.channels];
            for (int c = 0; c < from.channels; c++, p++) {
                float value = 0.5f;
                value += p[0] * (1.0f - fx) * (1.0f - fy);
                value += p[stepX] * fx * (1.0f - fy);
                value += p[stepY] * (1.0f - fx) * fy;
                value += p[stepX + stepY] * fx * fy;
                q[c] = static_cast<unsigned char>(value);
            }
        }
    }
    return to;
}

// Averages of blockX x blockY blocks of the image (cut at its edges), rounded.
Image Reduce(const Image& from, int blockX, int blockY)
{
    Image to;
    to.width = std::max(from.width / blockX, 1);
    to.height = std::max(from.height / blockY, 1);
    to.channels = from.channels;
    to.pixels.resize(static_cast<size_t>(to.width) * to.height * to.channels);
    for (int j = 0; j < to.height; j++) {
        const int rows = std::min(blockY, from.height - j * blockY);
        for (int i = 0; i < to.width; i++) {
            const int columns = std::min(blockX, from.width - i * blockX);
            const int area = rows * columns;
            for (int c = 0; c < to.channels; c++) {
                int sum = area / 2;
                for (int v = 0; v < rows; v++)
                    for (int u = 0; u < columns; u++)
                        sum += from.pixels[(static_cast<size_t>(j * blockY + v) * from.width + i * blockX + u) *
                                               from.channels + c];
                to.pixels[(static_cast<size_t>(j) * to.width + i) * to.channels + c] =
                    static_cast<unsigned char>(sum / area);
            }
        }
    }
    return to;
}

GLenum FormatOf(int channels)
{
    switch (channels) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return GL_RGB;
    default: return GL_RGBA;
    }
}

void Upload(GLint level, const Image& image)
{
    const GLenum format = FormatOf(image.channels);
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
}

}  // namespace

unsigned int StbUpload::LoadTexture(const char* fileName, unsigned int flags)
{
    Image image;
    unsigned char* decoded = stbi_load(fileName, &image.width, &image.height, &image.channels, 0);
    if (decoded == nullptr)
        return 0;
    image.pixels.assign(decoded, decoded + static_cast<size_t>(image.width) * image.height * image.channels);
    stbi_image_free(decoded);

    if (flags & InvertY) {
        const size_t row = static_cast<size_t>(image.width) * image.channels;
        for (int top = 0, bottom = image.height - 1; top < bottom; top++, bottom--)
            std::swap_ranges(&image.pixels[top * row], &image.pixels[top * row] + row, &image.pixels[bottom * row]);
    }

    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (maxSide <= 0)
        return 0;
    const bool tooLarge = image.width > maxSide || image.height > maxSide;
    if ((flags & (PowerOfTwo | Mipmaps)) || tooLarge) {
        const int width = NextPowerOfTwo(image.width), height = NextPowerOfTwo(image.height);
        if (width != image.width || height != image.height)
            image = Stretch(image, width, height);
    }
    if (image.width > maxSide || image.height > maxSide)
        image = Reduce(image, std::max(image.width / maxSide, 1), std::max(image.height / maxSide, 1));

    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0)
        return 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    Upload(0, image);

    if (flags & Mipmaps) {
        // The levels below are made by OpenGL from the image's: in the page,
        // by the browser's graphics process, off the page's thread, where
        // averaging them here was a third of the game's start. The game
        // samples only the image itself (Texture sets plain linear
        // filtering), so the levels' rounding, a step or two apart from
        // SOIL's block averages, shows nowhere. NOTE: the image's sides are
        // powers of two here (stretched above), as WebGL 1 requires.
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLint wrap = (flags & TextureRepeats) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    return texture;
}
