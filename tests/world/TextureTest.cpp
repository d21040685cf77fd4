// Texture: SOIL loading with the game's sampling parameters.
#include "GlTestContext.h"
#include "WorldTestSupport.h"
#include "world/Texture.h"

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
