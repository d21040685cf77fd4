#pragma once

// Small model files written by the mesh tests: Collada scenes with joints,
// skin weights and animations, and Wavefront OBJ text.

#include "ColladaWriter.h"

#include <string>

namespace meshtest {

typedef ColladaWriter::Matrix Matrix;
typedef ColladaWriter::Scene ColladaScene;

Matrix Identity();
Matrix Translation(float x, float y, float z);
Matrix RotationY(float degrees);

// The scene's file, with every number as the float it was given.
std::string Collada(const ColladaScene& scene);

// A chain of levels nested nodes, each translated by step along x, the
// innermost one holding a single triangle (0,0,0) (1,0,0) (0,1,0).
std::string DeepChainCollada(int levels, float step);

}  // namespace meshtest
