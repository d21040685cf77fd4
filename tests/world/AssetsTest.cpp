// The generated assets: reproducible byte for byte, in the formats the game
// reads, with a sky that has no seams and ground that tiles.
#include "GlTestContext.h"
#include "WorldTestSupport.h"

#include "1-audio/SoundClip.h"

#include <SOIL/SOIL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using worldtest::AssetPath;

const char* const OurAssets[] = {
    "heightmap.raw",   "ground.png",       "tower.tga",         "Skybox/up.png",    "Skybox/down.png",
    "Skybox/out.png",  "Skybox/in.png",    "Skybox/left.png",   "Skybox/right.png",
    "icons/hicolor/48x48/apps/corvane.png", "icons/hicolor/256x256/apps/corvane.png",
    "Sounds/shot.wav", "Sounds/burst.wav", "Sounds/engine.wav",
};

struct Image {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> pixels{nullptr, SOIL_free_image_data};

    const unsigned char* At(int x, int y) const { return pixels.get() + (static_cast<size_t>(y) * width + x) * 3; }
};

Image Decode(const std::string& path)
{
    Image image;
    image.pixels.reset(SOIL_load_image(path.c_str(), &image.width, &image.height, &image.channels, SOIL_LOAD_RGB));
    return image;
}

TEST(AssetsTest, RegeneratingReproducesTheCommittedFiles)
{
    const std::string tool = std::string(CORVANE_BINARY_DIR) + "/corvane-assets";
    ASSERT_TRUE(fs::exists(tool)) << tool << " is not built";
    gltest::TempDir out;
    ASSERT_EQ(0, std::system(("'" + tool + "' '" + out.Path() + "'").c_str()));

    std::set<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(out.Path())) {
        if (entry.is_regular_file())
            written.insert(fs::relative(entry.path(), out.Path()).generic_string());
    }
    for (const char* name : OurAssets) {
        EXPECT_EQ(1u, written.count(name)) << name << " was not written";
        EXPECT_TRUE(fs::exists(AssetPath(name))) << name << " is not committed under assets/";
    }
    for (const std::string& name : written) {
        if (!fs::exists(AssetPath(name)))
            continue;  // not committed (yet): nothing to compare
        EXPECT_TRUE(worldtest::ReadFileBytes(out.File(name)) == worldtest::ReadFileBytes(AssetPath(name)))
            << name << " differs from the committed file; run build/corvane-assets assets";
    }
}

TEST(AssetsTest, FilesHaveTheSizesAndFormatsTheGameReads)
{
    EXPECT_EQ(1024u * 1024u, fs::file_size(AssetPath("heightmap.raw")));

    const std::pair<const char*, int> images[] = {
        {"ground.png", 512},     {"tower.tga", 256},      {"Skybox/up.png", 512},   {"Skybox/down.png", 512},
        {"Skybox/out.png", 512}, {"Skybox/in.png", 512},  {"Skybox/left.png", 512}, {"Skybox/right.png", 512},
    };
    for (const auto& [name, size] : images) {
        const Image image = Decode(AssetPath(name));
        EXPECT_NE(nullptr, image.pixels) << name << " does not decode";
        EXPECT_EQ(size, image.width) << name;
        EXPECT_EQ(size, image.height) << name;
    }

    // Sounds the game's reader takes, small enough for the page.
    size_t soundBytes = 0;
    for (const char* name : {"Sounds/shot.wav", "Sounds/burst.wav", "Sounds/engine.wav"}) {
        SoundClip clip;
        EXPECT_TRUE(clip.Load(AssetPath(name).c_str())) << name;
        EXPECT_EQ(22050, clip.GetRate()) << name;
        soundBytes += fs::file_size(AssetPath(name));
    }
    EXPECT_LT(soundBytes, 300u * 1024u);

    // An uncompressed 24-bit true-colour TGA.
    const std::string tga = worldtest::ReadFileBytes(AssetPath("tower.tga"));
    ASSERT_GE(tga.size(), 18u);
    EXPECT_EQ(2, tga[2]);
    EXPECT_EQ(24, tga[16]);
    EXPECT_EQ(18u + 256u * 256u * 3u, tga.size());
}

// The sky box's faces: the cube corner at texture coordinates (0, 0),
// (1, 0) and (0, 1) of each, from its vertex table. The top image row is t = 0.
struct FaceCorners {
    const char* file;
    int at00[3], at10[3], at01[3];
};

const FaceCorners SkyFaces[6] = {
    {"Skybox/up.png", {1, 1, 1}, {-1, 1, 1}, {1, 1, -1}},
    {"Skybox/down.png", {-1, -1, 1}, {1, -1, 1}, {-1, -1, -1}},
    {"Skybox/out.png", {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}},
    {"Skybox/in.png", {1, -1, 1}, {-1, -1, 1}, {1, 1, 1}},
    {"Skybox/left.png", {-1, -1, 1}, {-1, -1, -1}, {-1, 1, 1}},
    {"Skybox/right.png", {1, -1, -1}, {1, -1, 1}, {1, 1, -1}},
};

TEST(AssetsTest, AdjacentSkyFacesAgreeAlongTheEdgesTheyShare)
{
    // Every edge texel, keyed by the point of the cube it lies on (in units of
    // 1 / (n - 1) of the half edge), with the colour each face gives it.
    std::map<std::tuple<int, int, int>, std::vector<std::pair<const char*, std::array<int, 3>>>> edges;
    for (const FaceCorners& face : SkyFaces) {
        const Image image = Decode(AssetPath(face.file));
        ASSERT_NE(nullptr, image.pixels) << face.file;
        const int n = image.width, last = n - 1;
        for (int row = 0; row < n; row++) {
            for (int col = 0; col < n; col++) {
                if (row != 0 && row != last && col != 0 && col != last)
                    continue;
                int p[3];
                for (int k = 0; k < 3; k++)
                    p[k] = last * face.at00[k] + col * (face.at10[k] - face.at00[k]) + row * (face.at01[k] - face.at00[k]);
                const unsigned char* c = image.At(col, row);
                edges[{p[0], p[1], p[2]}].push_back({face.file, {c[0], c[1], c[2]}});
            }
        }
    }

    size_t shared = 0, seams = 0;
    for (const auto& [point, texels] : edges) {
        EXPECT_GE(texels.size(), 2u) << "an edge texel that no other face meets";
        for (const auto& texel : texels) {
            shared++;
            if (texel.second != texels.front().second && seams++ < 5) {
                ADD_FAILURE() << texel.first << " and " << texels.front().first << " differ at cube point ("
                              << std::get<0>(point) << ", " << std::get<1>(point) << ", " << std::get<2>(point) << ")";
            }
        }
    }
    EXPECT_EQ(0u, seams);
    EXPECT_EQ(6u * 4u * 511u, shared);  // every edge texel of every face
}

TEST(AssetsTest, GroundTilesWithoutASeam)
{
    const Image ground = Decode(AssetPath("ground.png"));
    ASSERT_NE(nullptr, ground.pixels);
    const int n = ground.width;
    // The step across the wrap (last column or row to the first) is no larger
    // than the largest step between neighbours inside the image.
    auto step = [](const unsigned char* a, const unsigned char* b) {
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    };
    int inside = 0, across = 0;
    for (int i = 0; i < n; i++) {
        for (int j = 0; j + 1 < n; j++) {
            inside = std::max(inside, step(ground.At(j, i), ground.At(j + 1, i)));
            inside = std::max(inside, step(ground.At(i, j), ground.At(i, j + 1)));
        }
        across = std::max(across, step(ground.At(n - 1, i), ground.At(0, i)));
        across = std::max(across, step(ground.At(i, n - 1), ground.At(i, 0)));
    }
    EXPECT_LE(across, inside);
}

// The engine loops: from its last sample back to its first is no larger a
// step than any inside it; and the one-shot sounds start and end at rest.
TEST(AssetsTest, SoundsStartAndEndWithoutAClick)
{
    for (const char* name : {"Sounds/shot.wav", "Sounds/burst.wav", "Sounds/engine.wav"}) {
        SoundClip clip;
        ASSERT_TRUE(clip.Load(AssetPath(name).c_str())) << name;
        const std::vector<std::int16_t>& s = clip.GetSamples();
        int inside = 0;
        for (size_t i = 0; i + 1 < s.size(); i++)
            inside = std::max(inside, std::abs(s[i + 1] - s[i]));
        if (std::string(name) == "Sounds/engine.wav") {
            EXPECT_LE(std::abs(s.front() - s.back()), inside) << name << " clicks where it loops";
        } else {
            EXPECT_LE(std::abs(s.front()), 64) << name;
            EXPECT_LE(std::abs(s.back()), 64) << name;
        }
    }
}

TEST(AssetsTest, TowersStandOnTheGround)
{
    // The towers span x -35..30 and z -35..-30, base at world y -45; the game
    // draws the terrain 40 units down and sample s at local y s / -12.8.
    const std::string map = worldtest::ReadFileBytes(AssetPath("heightmap.raw"));
    ASSERT_EQ(1024u * 1024u, map.size());
    for (int z = -35; z <= -30; z++) {
        for (int x = -35; x <= 30; x++) {
            const int sample = static_cast<unsigned char>(map[static_cast<size_t>(z + 512) * 1024 + x + 512]);
            EXPECT_NEAR(-45.0, -40.0 + sample / -12.8, 1.0) << "ground under x " << x << ", z " << z;
        }
    }
}

}  // namespace
