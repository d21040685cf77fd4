// The heightmap terrain: what Init makes of the file, what Draw leaves behind,
// and that the buffered drawing puts exactly the per-vertex pixels on screen.
#include "GlTestContext.h"
#include "TerrainReference.h"
#include "WorldTestSupport.h"
#include "0-math/HalfFloat.h"
#include "1-world/Terrain.h"
#include "1-world/Texture.h"

#include <GL/glu.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

using gltest::GlTest;
using gltest::ScopedWorkingDirectory;

namespace {

constexpr int N = Terrain::Size;

std::string Heightmap(size_t size, unsigned char fill)
{
    return std::string(size, static_cast<char>(fill));
}

void SetSample(std::string& map, int row, int column, unsigned char value)
{
    map[static_cast<size_t>(row) * N + column] = static_cast<char>(value);
}

struct DecodedVertex {
    float r, g, b, s, t, x, y, z;
};

// The vertex of sample (row, column) in the terrain's buffer, as the
// pipeline reads it.
DecodedVertex VertexOf(const Terrain& terrain, int row, int column)
{
    Terrain::Vertex v{};
    const GLintptr index = Terrain::VertexIndexOf(row, column);
    glBindBuffer(GL_ARRAY_BUFFER, terrain.GetVertexBuffer());
    glGetBufferSubData(GL_ARRAY_BUFFER, index * sizeof v, sizeof v, &v);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const auto f = HalfFloat::ToFloat;
    return {f(v.r), f(v.g), f(v.b), f(v.s), f(v.t), f(v.x), f(v.y), f(v.z)};
}

class TerrainTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        ASSERT_TRUE(worldtest::WriteSolidPng(dir.File("ground.png"), 16, 16, 0xC08040));
    }

    // Inits a terrain from `bytes` (or from no file at all) inside the
    // temporary folder, where "ground.png" is found.
    std::unique_ptr<Terrain> Make(const std::string* bytes)
    {
        if (bytes) {
            EXPECT_TRUE(gltest::WriteFile(dir.File("heightmap.raw"), *bytes));
        }
        ScopedWorkingDirectory inDir(dir.Path());
        auto terrain = std::make_unique<Terrain>();
        terrain->Init("heightmap.raw");
        return terrain;
    }

    gltest::TempDir dir;
};

TEST_F(TerrainTest, VerticesCarryHeightShadeAndTextureCoordinatesOfTheirSample)
{
    std::string map = Heightmap(Terrain::SampleCount, 0);
    SetSample(map, 1, 0, 1);
    SetSample(map, 1, 1, 128);
    SetSample(map, 1, 2, 255);
    SetSample(map, 1023, 1023, 255);
    const auto terrain = Make(&map);
    ASSERT_NE(0u, terrain->GetVertexBuffer());

    struct Case {
        int row, column;
        float y, grey;
    };
    const Case cases[] = {
        {0, 0, 0.0f, 0.5f},
        {1, 0, -0.078125f, 0.50048828125f},
        {1, 1, -10.0f, 0.5625f},
        {1, 2, -19.921875f, 0.62451171875f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sample at row " << c.row << ", column " << c.column);
        const DecodedVertex v = VertexOf(*terrain, c.row, c.column);
        EXPECT_FLOAT_EQ(c.y, v.y);
        EXPECT_FLOAT_EQ(c.grey, v.r);
        EXPECT_EQ(v.r, v.g);
        EXPECT_EQ(v.r, v.b);
        EXPECT_EQ(static_cast<float>(c.column - 512), v.x);
        EXPECT_EQ(static_cast<float>(c.row - 512), v.z);
        EXPECT_EQ(c.column / 128.0f, v.s);
        EXPECT_EQ(c.row / 128.0f, v.t);
    }

    // The far corner: texture coordinates stop short of 8.
    const DecodedVertex corner = VertexOf(*terrain, 1023, 1023);
    EXPECT_EQ(7.9921875f, corner.s);
    EXPECT_EQ(7.9921875f, corner.t);
    EXPECT_EQ(511.0f, corner.x);
    EXPECT_EQ(511.0f, corner.z);
    EXPECT_FLOAT_EQ(-19.921875f, corner.y);
}

TEST_F(TerrainTest, MissingHeightmapGivesFlatUntexturedGreyGround)
{
    const auto terrain = Make(nullptr);
    EXPECT_EQ(nullptr, terrain->GetGroundTexture());
    EXPECT_EQ(0, terrain->GetSample(0, 0));
    EXPECT_EQ(0, terrain->GetSample(1023, 1023));
    ASSERT_NE(0u, terrain->GetVertexBuffer());
    EXPECT_FLOAT_EQ(0.0f, VertexOf(*terrain, 700, 300).y);

    // Looking straight down on it from above the middle: all 0.5 grey.
    glBindTexture(GL_TEXTURE_2D, 0);
    gluLookAt(0, 100, 0, 0, 0, 0, 0, 0, 1);
    terrain->Draw(gltest::CurrentView());
    EXPECT_EQ(0, gltest::GetInteger(GL_TEXTURE_BINDING_2D));
    for (const auto& p : {gltest::PixelAt(400, 300), gltest::PixelAt(10, 10), gltest::PixelAt(790, 590)}) {
        EXPECT_NEAR(128, p.r, 1);
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.r, p.b);
    }
}

TEST_F(TerrainTest, ShortHeightmapLeavesTheRestZeroAndStillLoadsTheGround)
{
    const std::string map = Heightmap(1000, 200);
    const auto terrain = Make(&map);
    EXPECT_EQ(200, terrain->GetSample(0, 999));
    EXPECT_EQ(0, terrain->GetSample(0, 1000));
    EXPECT_EQ(0, terrain->GetSample(1023, 1023));
    ASSERT_NE(nullptr, terrain->GetGroundTexture());
    EXPECT_NE(0u, terrain->GetGroundTexture()->GetId());
    EXPECT_FLOAT_EQ(200 / -12.8f, VertexOf(*terrain, 0, 999).y);
    EXPECT_EQ(0.0f, VertexOf(*terrain, 0, 1000).y);
}

TEST_F(TerrainTest, LongHeightmapIsReadOnlyUpToItsSize)
{
    std::string map = Heightmap(Terrain::SampleCount + 4096, 255);
    SetSample(map, 1023, 1023, 7);
    const auto terrain = Make(&map);
    EXPECT_EQ(7, terrain->GetSample(1023, 1023));
    EXPECT_EQ(255, terrain->GetSample(1023, 1022));
}

TEST_F(TerrainTest, InitAndDrawRestoreBufferBindingAndClientArrays)
{
    GLuint other = 0;
    glGenBuffers(1, &other);
    glBindBuffer(GL_ARRAY_BUFFER, other);
    const std::string map = Heightmap(Terrain::SampleCount, 30);
    const auto terrain = Make(&map);
    EXPECT_EQ(static_cast<GLint>(other), gltest::GetInteger(GL_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(0, gltest::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING));

    glEnableClientState(GL_NORMAL_ARRAY);  // left on by someone else: must neither be drawn nor changed
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    terrain->Draw(gltest::CurrentView());
    EXPECT_EQ(static_cast<GLint>(other), gltest::GetInteger(GL_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(0, gltest::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_MODULATE, mode) << "modulate stays in force after the terrain";
    EXPECT_EQ(static_cast<GLint>(terrain->GetGroundTexture()->GetId()), gltest::GetInteger(GL_TEXTURE_BINDING_2D));

    glDisableClientState(GL_NORMAL_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &other);
}

TEST_F(TerrainTest, DestructorDeletesTheBuffers)
{
    GLuint vertices = 0, indices = 0;
    {
        const std::string map = Heightmap(Terrain::SampleCount, 10);
        const auto terrain = Make(&map);
        vertices = terrain->GetVertexBuffer();
        indices = terrain->GetIndexBuffer();
        ASSERT_TRUE(glIsBuffer(vertices));
        ASSERT_TRUE(glIsBuffer(indices));
    }
    EXPECT_FALSE(glIsBuffer(vertices));
    EXPECT_FALSE(glIsBuffer(indices));
}

// --- Pixel identity with the per-vertex drawing -------------------------

// A camera placement; the terrain is then drawn under glTranslatef(0, -40, 0)
// as the game draws it.
struct View {
    const char* name;
    float eye[3], centre[3], up[3];
    bool gameShift;  // the game's (0, -5, 0) shift in eye space before the look-at
};

const View Views[] = {
    {"start view", {0, 0, -10}, {0, 0, 20}, {0, 1, 0}, true},
    {"look back at the towers", {0, 0, 50}, {0, 0, 20}, {0, 1, 0}, true},
    {"down at the towers", {0, 10, 40}, {0, -45, -30}, {0, 1, 0}, true},
    {"over a corner from outside", {700, 150, 700}, {0, -50, 0}, {0, 1, 0}, false},
    {"grazing along x", {-400, -38, 5}, {400, -50, 0}, {0, 1, 0}, false},
};

std::vector<gltest::Rgba> DrawView(const View& view, const std::function<void()>& draw)
{
    gltest::ResetGameState();
    if (view.gameShift)
        glTranslatef(0, -5, 0);
    gluLookAt(view.eye[0], view.eye[1], view.eye[2], view.centre[0], view.centre[1], view.centre[2], view.up[0],
              view.up[1], view.up[2]);
    glPushMatrix();
    glTranslatef(0, -40, 0);
    draw();
    glPopMatrix();
    return gltest::ReadFrame();
}

void ExpectSameFrames(const std::string& assetsDir, const std::string& label)
{
    ScopedWorkingDirectory inAssets(assetsDir);
    auto terrain = std::make_unique<Terrain>();
    terrain->Init("heightmap.raw");
    terrain->SetFullDetail(true);
    ASSERT_NE(nullptr, terrain->GetGroundTexture());
    const std::vector<unsigned char> heights = gltest::ReadReferenceHeightmap("heightmap.raw");
    const GLuint ground = terrain->GetGroundTexture()->GetId();

    for (const View& view : Views) {
        SCOPED_TRACE(label + ", " + view.name);
        const auto ours = DrawView(view, [&] { terrain->Draw(gltest::CurrentView()); });
        const auto reference = DrawView(view, [&] { gltest::DrawReferenceTerrain(heights.data(), ground); });
        size_t differing = 0, drawn = 0;
        for (size_t i = 0; i < ours.size(); i++) {
            const gltest::Rgba& a = ours[i];
            const gltest::Rgba& b = reference[i];
            if (a.r != b.r || a.g != b.g || a.b != b.b || a.a != b.a)
                differing++;
            if (b.r != 255 || b.g != 255 || b.b != 255)
                drawn++;
        }
        EXPECT_GT(drawn, ours.size() / 20) << "the view shows too little terrain to prove anything";
        EXPECT_EQ(0u, differing) << "pixels differ from the per-vertex drawing";
        if (differing != 0) {
            const std::string base = std::string(CORVANE_BINARY_DIR) + "/terrain-" + view.name;
            gltest::SavePng(base + "-ours.png", ours, gltest::WindowWidth, gltest::WindowHeight);
            gltest::SavePng(base + "-reference.png", reference, gltest::WindowWidth, gltest::WindowHeight);
        }
    }
}

// Older contexts: each lacks one piece the terrain uses (or all of them, as
// a 1.4 context would); the terrain built and drawn there puts the very
// pixels of the full path on screen, and calls no missing entry point.
TEST_F(TerrainTest, FallbacksForOlderContextsDrawTheSamePixels)
{
    using gltest::Hidden;
    ScopedWorkingDirectory inAssets(worldtest::AssetPath(""));
    const View& view = Views[3];  // the whole terrain in sight
    std::vector<gltest::Rgba> expected;
    {
        Terrain terrain;
        terrain.Init("heightmap.raw");
        expected = DrawView(view, [&] { terrain.Draw(gltest::CurrentView()); });
    }

    struct Lacks {
        bool baseVertex, halfFloats, mapping, buffers, attributeArrays;
    };
    const std::pair<const char*, Lacks> contexts[] = {
        {"no base vertex", {true, false, false, false, false}},
        {"no half floats", {false, true, false, false, false}},
        {"no buffer mapping", {false, false, true, false, false}},
        {"no buffer objects", {false, false, false, true, false}},
        {"no vertex attribute arrays", {false, false, false, false, true}},
        {"none of them", {true, true, true, true, true}},
    };
    for (const auto& [name, lacks] : contexts) {
        SCOPED_TRACE(name);
        std::vector<std::unique_ptr<Hidden<GLboolean>>> flags;
        std::vector<std::shared_ptr<void>> entries;
        const auto hideFlag = [&](GLboolean& flag) { flags.push_back(std::make_unique<Hidden<GLboolean>>(flag)); };
        const auto hide = [&](auto& entry) {
            entries.push_back(std::make_shared<Hidden<std::remove_reference_t<decltype(entry)>>>(entry));
        };
        if (lacks.baseVertex) {
            hideFlag(__GLEW_VERSION_3_2);
            hideFlag(__GLEW_ARB_draw_elements_base_vertex);
            hide(__glewMultiDrawElementsBaseVertex);
        }
        if (lacks.halfFloats) {
            hideFlag(__GLEW_VERSION_3_0);
            hideFlag(__GLEW_ARB_half_float_vertex);
        }
        if (lacks.mapping || lacks.buffers) {  // each hidden once: restored in any order
            hide(__glewMapBuffer);
            hide(__glewUnmapBuffer);
        }
        if (lacks.buffers) {
            hideFlag(__GLEW_VERSION_1_5);
            hide(__glewGenBuffers);
            hide(__glewBindBuffer);
            hide(__glewBufferData);
            hide(__glewDeleteBuffers);
        }
        if (lacks.attributeArrays) {
            hideFlag(__GLEW_VERSION_2_0);
            hide(__glewDisableVertexAttribArray);
        }
        Terrain terrain;
        terrain.Init("heightmap.raw");
        EXPECT_EQ(lacks.buffers, terrain.GetVertexBuffer() == 0);
        const auto ours = DrawView(view, [&] { terrain.Draw(gltest::CurrentView()); });
        size_t differing = 0;
        for (size_t i = 0; i < ours.size(); i++)
            differing += std::memcmp(&ours[i], &expected[i], sizeof ours[i]) != 0;
        EXPECT_EQ(0u, differing) << "pixels differ from the full path";
    }
    EXPECT_TRUE(glMapBuffer && glGenBuffers && GLEW_VERSION_3_2) << "the test left an entry point hidden";
}

TEST_F(TerrainTest, BufferedDrawingMatchesPerVertexDrawingPixelForPixel)
{
    ExpectSameFrames(worldtest::AssetPath(""), "game heightmap");

    // A rough random heightmap: steep slopes everywhere.
    std::string rough(Terrain::SampleCount, '\0');
    unsigned state = 12345;
    for (char& sample : rough) {
        state = state * 1103515245u + 12345u;
        sample = static_cast<char>(state >> 24);
    }
    ASSERT_TRUE(gltest::WriteFile(dir.File("heightmap.raw"), rough));
    ExpectSameFrames(dir.Path(), "random heightmap");
}

}  // namespace
