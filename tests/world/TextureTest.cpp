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
