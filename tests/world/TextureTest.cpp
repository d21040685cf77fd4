// Texture: SOIL loading with the game's sampling parameters.
#include "GlTestContext.h"
#include "WorldTestSupport.h"
#include "1-world/Texture.h"

#include <SOIL/SOIL.h>
#include <stb_image_write.h>

#include <cstring>
#include <vector>

using gltest::GetInteger;
using gltest::GetTexParameter;
using gltest::GlTest;

namespace {

class TextureTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        image = dir.File("image.png");
        ASSERT_TRUE(worldtest::WriteSolidPng(image, 4, 4, 0x336699));
    }

    gltest::TempDir dir;
    std::string image;
};

TEST_F(TextureTest, TwoTexturesOfOneFileGetTwoNames)
{
    Texture first(GL_TEXTURE_2D, image);
    Texture second(GL_TEXTURE_2D, image);
    EXPECT_TRUE(first.Load());
    EXPECT_TRUE(second.Load());
    EXPECT_NE(0u, first.GetId());
    EXPECT_NE(0u, second.GetId());
    EXPECT_NE(first.GetId(), second.GetId());
}

TEST_F(TextureTest, LoadLeavesTheTextureBoundWithLinearFilteringAndRepeat)
{
    Texture texture(GL_TEXTURE_2D, image);
    ASSERT_TRUE(texture.Load());
    EXPECT_EQ(static_cast<GLint>(texture.GetId()), GetInteger(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(GL_LINEAR, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_LINEAR, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(GL_REPEAT, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S));
    EXPECT_EQ(GL_REPEAT, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T));

    glBindTexture(GL_TEXTURE_2D, 0);
    texture.Bind();
    EXPECT_EQ(static_cast<GLint>(texture.GetId()), GetInteger(GL_TEXTURE_BINDING_2D));
}

TEST_F(TextureTest, MissingFileFailsWithNameZeroAndTouchesNoParameters)
{
    // A texture of our own, bound, with parameters unlike the loader's.
    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, own);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);

    Texture missing(GL_TEXTURE_2D, dir.File("no-such-image.png"));
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(0u, missing.GetId());
    EXPECT_EQ(static_cast<GLint>(own), GetInteger(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(GL_NEAREST, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_CLAMP_TO_EDGE, GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S));

    missing.Bind();  // binds texture 0: untextured, not an error
    EXPECT_EQ(0, GetInteger(GL_TEXTURE_BINDING_2D));
    glDeleteTextures(1, &own);
}

// The accepted formats, each written from the same 8 x 8 picture.
TEST_F(TextureTest, EveryFormatSoilDecodesLoads)
{
    constexpr int Side = 8;
    std::vector<unsigned char> rgb(Side * Side * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = static_cast<unsigned char>(i * 7);
    std::vector<float> radiance(rgb.begin(), rgb.end());

    const std::string jpeg = dir.File("image.jpg");
    ASSERT_TRUE(stbi_write_jpg(jpeg.c_str(), Side, Side, 3, rgb.data(), 90));
    ASSERT_TRUE(stbi_write_bmp(dir.File("image.bmp").c_str(), Side, Side, 3, rgb.data()));
    ASSERT_TRUE(stbi_write_tga(dir.File("image.tga").c_str(), Side, Side, 3, rgb.data()));
    ASSERT_TRUE(stbi_write_hdr(dir.File("image.hdr").c_str(), Side, Side, 3, radiance.data()));
    ASSERT_TRUE(SOIL_save_image(dir.File("image.dds").c_str(), SOIL_SAVE_TYPE_DDS, Side, Side, 3, rgb.data()));

    // Photoshop: 8-bit RGB, uncompressed planes.
    std::string psd("8BPS\0\1\0\0\0\0\0\0\0\3\0\0\0\x08\0\0\0\x08\0\x08\0\3", 26);
    psd += std::string(14, '\0');  // no mode data, resources or layers; no compression
    for (int channel = 0; channel < 3; channel++)
        for (int i = 0; i < Side * Side; i++)
            psd += static_cast<char>(rgb[static_cast<size_t>(i) * 3 + channel]);
    ASSERT_TRUE(gltest::WriteFile(dir.File("image.psd"), psd));

    // A comment segment right after the JPEG's start marker whose bytes look
    // like a Huffman table marker with 255-code counts.
    std::string bytes = worldtest::ReadFileBytes(jpeg);
    const std::string comment = std::string("\xFF\xFE\x00\x16\xFF\xC4", 6) + std::string(18, '\xFF');
    ASSERT_EQ(24u, comment.size());
    bytes.insert(2, comment);
    ASSERT_TRUE(gltest::WriteFile(dir.File("comment.jpg"), bytes));

    for (const char* name : {"image.png", "image.jpg", "comment.jpg", "image.bmp", "image.tga", "image.psd",
                             "image.hdr", "image.dds"}) {
        Texture texture(GL_TEXTURE_2D, dir.File(name));
        EXPECT_TRUE(texture.Load()) << name;
        EXPECT_NE(0u, texture.GetId()) << name;
    }
}

}  // namespace

// Rows of one grey byte each: SOIL packs them tightly, and the driver must
// read them so (at its default alignment of 4 it read every fourth byte,
// and on a tall image ran past the end of SOIL's pixels and crashed).
TEST_F(TextureTest, NarrowRowsArriveIntactAndTheUnpackAlignmentIsKept)
{
    const std::string tga = dir.File("narrow.tga");
    std::string bytes = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 8, 0, 8, 0x20};  // grey, 1x8, top row first
    const std::string rows = {10, 20, 30, 40, 50, 60, 70, 80};
    ASSERT_TRUE(gltest::WriteFile(tga, bytes + rows));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);

    Texture texture(GL_TEXTURE_2D, tga);
    ASSERT_TRUE(texture.Load());
    EXPECT_EQ(8, GetInteger(GL_UNPACK_ALIGNMENT));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::string stored(8, '\0');
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, stored.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(rows, stored);
}
