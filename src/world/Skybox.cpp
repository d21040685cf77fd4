#include "Skybox.h"

#include "Texture.h"

#include <GL/glew.h>

namespace {

// Creates and loads one face texture and clamps it to its edges. A failed
// load leaves name 0 and no parameters set.
Texture* LoadFace(const std::string& fileName)
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

// Before Init there is no texture: the face is drawn untextured.
void BindFace(Texture* texture)
{
    if (texture)
        texture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
}

void DeleteFace(Texture*& texture)
{
    delete texture;
    texture = nullptr;
}

}  // namespace

Skybox::Skybox()
    : upTexture(nullptr),
      downTexture(nullptr),
      rightTexture(nullptr),
      leftTexture(nullptr),
      inTexture(nullptr),
      outTexture(nullptr),
      size(0.0f)
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
    upTexture = LoadFace(up);
    downTexture = LoadFace(down);
    outTexture = LoadFace(out);
    inTexture = LoadFace(in);
    leftTexture = LoadFace(left);
    rightTexture = LoadFace(right);
    return true;
}

void Skybox::Draw(float x, float y, float z)
{
    const float s = size;

    glPushMatrix();
    glTranslatef(x, y, z);
    glPushAttrib(GL_LIGHTING_BIT | GL_FOG_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);

    // Each face: (s, t) then the vertex, four times. Seen from inside, s grows
    // left to right and t bottom to top on the side faces.
    BindFace(upTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1); glVertex3f(-s, s, -s);
    glTexCoord2f(0, 1); glVertex3f(s, s, -s);
    glTexCoord2f(0, 0); glVertex3f(s, s, s);
    glTexCoord2f(1, 0); glVertex3f(-s, s, s);
    glEnd();

    BindFace(downTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1); glVertex3f(s, -s, -s);
    glTexCoord2f(0, 1); glVertex3f(-s, -s, -s);
    glTexCoord2f(0, 0); glVertex3f(-s, -s, s);
    glTexCoord2f(1, 0); glVertex3f(s, -s, s);
    glEnd();

    BindFace(outTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(-s, -s, -s);
    glTexCoord2f(1, 0); glVertex3f(s, -s, -s);
    glTexCoord2f(1, 1); glVertex3f(s, s, -s);
    glTexCoord2f(0, 1); glVertex3f(-s, s, -s);
    glEnd();

    BindFace(inTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(s, -s, s);
    glTexCoord2f(1, 0); glVertex3f(-s, -s, s);
    glTexCoord2f(1, 1); glVertex3f(-s, s, s);
    glTexCoord2f(0, 1); glVertex3f(s, s, s);
    glEnd();

    BindFace(rightTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0); glVertex3f(s, -s, s);
    glTexCoord2f(1, 1); glVertex3f(s, s, s);
    glTexCoord2f(0, 1); glVertex3f(s, s, -s);
    glTexCoord2f(0, 0); glVertex3f(s, -s, -s);
    glEnd();

    BindFace(leftTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0); glVertex3f(-s, -s, -s);
    glTexCoord2f(1, 1); glVertex3f(-s, s, -s);
    glTexCoord2f(0, 1); glVertex3f(-s, s, s);
    glTexCoord2f(0, 0); glVertex3f(-s, -s, s);
    glEnd();

    glPopAttrib();
    glPopMatrix();
}

void Skybox::Release()
{
    DeleteFace(upTexture);
    DeleteFace(downTexture);
    DeleteFace(rightTexture);
    DeleteFace(leftTexture);
    DeleteFace(inTexture);
    DeleteFace(outTexture);
}
