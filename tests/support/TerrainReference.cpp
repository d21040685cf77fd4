#include "TerrainReference.h"

#include <cstdio>

namespace gltest {

std::vector<unsigned char> ReadReferenceHeightmap(const std::string& path)
{
    std::vector<unsigned char> heights(static_cast<size_t>(ReferenceTerrainSize) * ReferenceTerrainSize, 0);
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        const size_t read = std::fread(heights.data(), 1, heights.size(), file);
        (void)read;
        std::fclose(file);
    }
    return heights;
}

void DrawReferenceTerrain(const unsigned char* heights, GLuint groundTexture)
{
    const int size = ReferenceTerrainSize;
    const float maxHeight = -80.0f;
    const float heightScale = 256.0f / (maxHeight / 4.0f);

    glBindTexture(GL_TEXTURE_2D, groundTexture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (int r = 0; r < size - 1; r++) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int c = 0; c < size; c++) {
            for (int row = r; row <= r + 1; row++) {
                const float y = heights[row * size + c] / heightScale;
                const float g = 0.5f * y / maxHeight + 0.5f;
                glColor3f(g, g, g);
                glTexCoord2f(static_cast<float>(c) / size * 8.0f, static_cast<float>(row) / size * 8.0f);
                glVertex3f(static_cast<float>(c - size / 2), y, static_cast<float>(row - size / 2));
            }
        }
        glEnd();
    }
}

}  // namespace gltest
