#pragma once

#include <string>

class Texture;

// The sky: an axis-aligned cube with one image on each inner face, drawn with
// depth testing off and centred on the eye, so it lies behind everything drawn
// after it. Owns its six textures.
class Skybox {
public:
    // The six faces, in Init's order, and the plane each lies in.
    enum Face {
        Up,     // y = +size
        Down,   // y = -size
        Out,    // z = -size
        In,     // z = +size
        Left,   // x = -size
        Right,  // x = +size
        FaceCount
    };

    Skybox();   // no textures, size 0
    ~Skybox();  // Release()
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    void SetSize(float size);  // distance from the centre to each face

    // Loads one texture per face from the six image files. A face whose image
    // fails to load is drawn untextured. Always returns true; prints nothing.
    // The six faces clamp to their edges instead of repeating, so the linear
    // filter never blends in texels from the opposite edge of a face.
    bool Init(std::string up, std::string down, std::string out, std::string in, std::string left,
              std::string right);
    // One face of Init: loads (or replaces) face's texture from fileName.
    // Init on a new sky box is LoadFace for each face in order.
    void LoadFace(Face face, const std::string& fileName);

    // Draws the cube centred on (x, y, z) in the current model-view frame.
    // Colour is the caller's (modulated by the texture). The model-view matrix
    // and the lighting, fog and depth state are the same afterwards.
    void Draw(float x, float y, float z);

    void Release();  // deletes the six textures; safe to call twice

private:
    Texture* textures[FaceCount];  // owned, indexed by Face; null before Init
    float size;  // half the cube's edge, world units
};
