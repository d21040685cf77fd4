#include "Terrain.h"

#include "Texture.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr float MaxHeight = -80.0f;
constexpr float TextureRepeats = 8.0f;  // the ground image tiles this often each way
const char* const GroundFileName = "ground.png";

// First vertex and vertex count of every strip, for one multi-draw call.
struct StripRanges {
    GLint first[Terrain::StripCount];
    GLsizei count[Terrain::StripCount];

    StripRanges()
    {
        for (int r = 0; r < Terrain::StripCount; r++) {
            first[r] = r * Terrain::VerticesPerStrip;
            count[r] = Terrain::VerticesPerStrip;
        }
    }
};

const StripRanges strips;

}  // namespace

Terrain::Terrain()
    : maxHeight(MaxHeight), heightScale(256.0f / (MaxHeight / 4.0f)), groundTexture(nullptr), heights(),
      vertexBuffer(0)
{
}

Terrain::~Terrain()
{
    delete groundTexture;
    ReleaseVertexBuffer();
}

void Terrain::Init(const char* fileName)
{
    maxHeight = MaxHeight;
    heightScale = 256.0f / (maxHeight / 4.0f);
    delete groundTexture;
    groundTexture = nullptr;
    std::memset(heights, 0, sizeof heights);

    // NOTE: without a heightmap there is no ground texture either: the
    // terrain is a flat, untextured square.
    if (FILE* file = std::fopen(fileName, "rb")) {
        // A short read leaves the rest of the samples 0; longer files are cut.
        const size_t read = std::fread(heights, 1, sizeof heights, file);
        (void)read;
        std::fclose(file);

        groundTexture = new Texture(GL_TEXTURE_2D, GroundFileName);
        groundTexture->Load();
        groundTexture->Bind();
    }

    BuildVertexBuffer();
}

void Terrain::BuildVertexBuffer()
{
    ReleaseVertexBuffer();
    if (!glGenBuffers)
        glewInit();  // a bare context whose entry points nobody fetched yet
    if (!glGenBuffers)
        return;

    GLint previous = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previous);
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(VertexCount) * sizeof(Vertex), nullptr, GL_STATIC_DRAW);

    // One strip at a time keeps the staging memory small.
    std::vector<Vertex> strip(VerticesPerStrip);
    for (int r = 0; r < StripCount; r++) {
        for (int c = 0; c < Size; c++) {
            for (int k = 0; k < 2; k++) {
                const int row = r + k;
                const float y = heights[row * Size + c] / heightScale;
                const float g = 0.5f * y / maxHeight + 0.5f;
                Vertex& v = strip[2 * c + k];
                v.r = v.g = v.b = g;
                v.s = static_cast<float>(c) / Size * TextureRepeats;
                v.t = static_cast<float>(row) / Size * TextureRepeats;
                v.x = static_cast<float>(c - Size / 2);
                v.y = y;
                v.z = static_cast<float>(row - Size / 2);
            }
        }
        const GLintptr offset = static_cast<GLintptr>(r) * VerticesPerStrip * sizeof(Vertex);
        glBufferSubData(GL_ARRAY_BUFFER, offset, VerticesPerStrip * sizeof(Vertex), strip.data());
    }
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previous));
}

void Terrain::ReleaseVertexBuffer()
{
    if (vertexBuffer != 0 && glDeleteBuffers)
        glDeleteBuffers(1, &vertexBuffer);
    vertexBuffer = 0;
}

void Terrain::Draw()
{
    if (groundTexture)
        groundTexture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (vertexBuffer == 0)
        return;

    // The pop restores the enabled arrays, their pointers and the buffer binding.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        // Arrays someone else left enabled would be drawn (and read) with ours.
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
        glDisableClientState(GL_FOG_COORD_ARRAY);
        glDisableVertexAttribArray(0);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glColorPointer(3, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, r)));
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, s)));
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, x)));
        glMultiDrawArrays(GL_TRIANGLE_STRIP, strips.first, strips.count, StripCount);
    glPopClientAttrib();
}
