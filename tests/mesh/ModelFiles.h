#pragma once

// Small model files written by the mesh tests: Collada scenes with joints,
// skin weights and animations, and Wavefront OBJ text.

#include <string>
#include <vector>

namespace meshtest {

typedef std::vector<float> Matrix;  // 16 floats, row-major as Collada writes them
Matrix Identity();
Matrix Translation(float x, float y, float z);
Matrix RotationY(float degrees);

struct Joint {
    std::string name;
    int parent;      // index of the parent joint, -1 for the skeleton root
    Matrix pose;     // node transform
};

struct Weight {
    int joint;
    float weight;
};

struct Animation {
    std::string id;
    std::string target;         // node name; its matrix is animated
    std::vector<float> times;   // seconds
    std::vector<Matrix> poses;
};

struct Clip {
    std::string name;
    std::vector<std::string> animations;
};

struct ColladaScene {
    std::vector<float> positions;           // x y z per vertex
    std::vector<unsigned int> triangles;    // three vertex indices each
    Matrix meshNode = Identity();           // transform of the node holding the mesh
    std::string diffuseImage;               // empty: material without texture
    std::vector<Joint> joints;              // empty: no skin
    std::vector<std::vector<Weight>> weights;  // per vertex, when joints are given
    std::vector<Animation> animations;
    std::vector<Clip> clips;
};

std::string Collada(const ColladaScene& scene);

// A chain of levels nested nodes, each translated by step along x, the
// innermost one holding a single triangle (0,0,0) (1,0,0) (0,1,0).
std::string DeepChainCollada(int levels, float step);

}  // namespace meshtest
