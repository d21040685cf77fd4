// The page's image upload against SOIL's, on a real context: for each image,
// the same levels with the same sizes and formats, the image's pixels and
// the mipmaps' within a little rounding, and the same sampling parameters,
// as the flags the game and SOIL know ask.
#include "GlTestContext.h"
#include "StbUpload.h"

#include <SOIL/SOIL.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using gltest::GlTest;

namespace {

struct Level {
    GLint width = 0, height = 0, format = 0;
    std::vector<unsigned char> rgba;
};

// Every level of the bound texture, as OpenGL holds it.
std::vector<Level> Levels()
{
    std::vector<Level> levels;
    for (GLint level = 0;; level++) {
        Level l;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &l.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &l.height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_INTERNAL_FORMAT, &l.format);
        if (l.width == 0 || l.height == 0)
            return levels;
        l.rgba.resize(static_cast<size_t>(l.width) * l.height * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, l.rgba.data());
        levels.push_back(l);
    }
}

std::vector<GLint> Parameters()
{
    std::vector<GLint> values;
    for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        values.push_back(value);
    }
    return values;
}

// A picture with a different value in every channel of every pixel.
std::vector<unsigned char> Picture(int width, int height, int channels)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = static_cast<unsigned char>((i * 37 + i / 7 * 11) & 0xFF);
    return pixels;
}

// OpenGL makes the mipmap levels from the level above, rounding each time,
// where SOIL averages blocks of the image: a step or two apart.
constexpr int MipmapTolerance = 2;

class StbUploadTest : public GlTest {
protected:
    gltest::TempDir dir;
};

TEST_F(StbUploadTest, UploadsWhatSoilUploads)
{
    struct Case {
        const char* name;
        int width, height, channels;
        unsigned int flags;
        int tolerance;  // per channel: the later decoder's JPEG transform rounds a little differently
    };
    const Case cases[] = {
        {"rgb.png", 8, 8, 3, SOIL_FLAG_MIPMAPS, 0},
        {"rgba-npot.png", 5, 3, 4, SOIL_FLAG_MIPMAPS, 0},
        {"grey-tall.png", 6, 20, 1, SOIL_FLAG_MIPMAPS, 0},
        {"grey-alpha.png", 3, 3, 2, SOIL_FLAG_MIPMAPS | SOIL_FLAG_INVERT_Y, 0},
        {"rgb.tga", 7, 5, 3, SOIL_FLAG_MIPMAPS | SOIL_FLAG_TEXTURE_REPEATS, 0},
        {"rgba.bmp", 16, 4, 4, SOIL_FLAG_POWER_OF_TWO, 0},
        {"rgb.jpg", 33, 17, 3, SOIL_FLAG_MIPMAPS, 1},
        {"plain.png", 6, 5, 3, 0, 0},
    };
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // as Texture::Load uploads
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File(c.name);
        const std::vector<unsigned char> pixels = Picture(c.width, c.height, c.channels);
        const std::string extension = file.substr(file.size() - 3);
        const int stride = c.width * c.channels;
        const bool written =
            extension == "png"   ? stbi_write_png(file.c_str(), c.width, c.height, c.channels, pixels.data(), stride)
            : extension == "tga" ? stbi_write_tga(file.c_str(), c.width, c.height, c.channels, pixels.data())
            : extension == "bmp" ? stbi_write_bmp(file.c_str(), c.width, c.height, c.channels, pixels.data())
                                 : stbi_write_jpg(file.c_str(), c.width, c.height, c.channels, pixels.data(), 90);
        ASSERT_TRUE(written);

        const GLuint soil = SOIL_load_OGL_texture(file.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, c.flags);
        ASSERT_NE(0u, soil);
        const std::vector<Level> expected = Levels();
        std::vector<GLint> expectedParameters = Parameters();
        // SOIL clamps with GL_CLAMP, which WebGL lacks: the page clamps to the edge.
        std::replace(expectedParameters.begin(), expectedParameters.end(), GLint(GL_CLAMP), GLint(GL_CLAMP_TO_EDGE));
        const GLuint ours = StbUpload::LoadTexture(file.c_str(), c.flags);
        ASSERT_NE(0u, ours);
        EXPECT_NE(soil, ours);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLint>(ours), bound) << "left bound";
        const std::vector<Level> levels = Levels();
        EXPECT_EQ(expectedParameters, Parameters());
        ASSERT_EQ(expected.size(), levels.size());
        for (size_t i = 0; i < levels.size(); i++) {
            SCOPED_TRACE("level " + std::to_string(i));
            EXPECT_EQ(expected[i].width, levels[i].width);
            EXPECT_EQ(expected[i].height, levels[i].height);
            EXPECT_EQ(expected[i].format, levels[i].format);
            int worst = 0;
            for (size_t k = 0; k < levels[i].rgba.size() && k < expected[i].rgba.size(); k++)
                worst = std::max(worst, std::abs(levels[i].rgba[k] - expected[i].rgba[k]));
            EXPECT_LE(worst, i == 0 ? c.tolerance : c.tolerance + MipmapTolerance) << "pixels differ";
        }
        glDeleteTextures(1, &soil);
        glDeleteTextures(1, &ours);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

}  // namespace
