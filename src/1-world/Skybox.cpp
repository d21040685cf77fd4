#include "Skybox.h"

#include "Texture.h"

#include <GL/glew.h>

namespace {

// Creates and loads one face texture and clamps it to its edges. A failed
// load leaves name 0 and no parameters set.
Texture* LoadFaceTexture(const std::string& fileName)
{
    Texture* texture = new Texture(GL_TEXTURE_2D, fileName);
    texture->Load();
    texture->Bind();
    // NOTE: repeat wrapping (what every Texture gets) would let the linear
    // filter mix each edge of a face with its opposite edge and draw a thin
    // line along the cube's edges.
    if (texture->GetId() != 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return texture;
}

// One corner of a face: texture coordinates, then the signs of size for
// x, y and z.
struct Corner {
    float s, t;
    float x, y, z;
};

struct FaceQuad {
    Skybox::Face face;
    Corner corners[4];
};

// The cube in drawing order. Seen from inside, s grows left to right and t
// bottom to top on the side faces.
const FaceQuad Cube[Skybox::FaceCount] = {
    {Skybox::Up, {{1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, 1, 1}, {1, 0, -1, 1, 1}}},
    {Skybox::Down, {{1, 1, 1, -1, -1}, {0, 1, -1, -1, -1}, {0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}}},
    {Skybox::Out, {{0, 0, -1, -1, -1}, {1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, -1, 1, -1}}},
    {Skybox::In, {{0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, 1, 1, 1}}},
    {Skybox::Right, {{1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {Skybox::Left, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, -1, 1, 1}, {0, 0, -1, -1, 1}}},
};

// Before Init there is no texture: the face is drawn untextured.
void BindFace(Texture* texture)
{
    if (texture)
        texture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

Skybox::Skybox() : textures(), size(0.0f)
{
}

Skybox::~Skybox()
{
    Release();
}

void Skybox::SetSize(float size_)
{
    size = size_;
}

bool Skybox::Init(std::string up, std::string down, std::string out, std::string in, std::string left,
                  std::string right)
{
    Release();  // a second Init replaces the faces instead of leaking them
    const std::string* fileNames[FaceCount] = {&up, &down, &out, &in, &left, &right};
    for (int face = 0; face < FaceCount; face++)
        LoadFace(static_cast<Face>(face), *fileNames[face]);
    return true;
}

void Skybox::LoadFace(Face face, const std::string& fileName)
{
    if (face < 0 || face >= FaceCount)
        return;
    delete textures[face];
    textures[face] = LoadFaceTexture(fileName);
}

void Skybox::Draw(float x, float y, float z)
{
    const float s = size;

    glPushMatrix();
    glTranslatef(x, y, z);
    glPushAttrib(GL_LIGHTING_BIT | GL_FOG_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);

    for (const FaceQuad& quad : Cube) {
        BindFace(textures[quad.face]);
        glBegin(GL_QUADS);
        for (const Corner& c : quad.corners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(c.x * s, c.y * s, c.z * s);
        }
        glEnd();
    }

    glPopAttrib();
    glPopMatrix();
}

void Skybox::Release()
{
    for (Texture*& texture : textures) {
        delete texture;
        texture = nullptr;
    }
}
