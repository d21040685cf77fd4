#pragma once

#include <array>
#include <string>
#include <vector>

// Writes a Collada 1.4.1 document as text: one triangle mesh with one
// material, optionally normals, texture coordinates and a diffuse image, a
// skin over a joint hierarchy, matrix animations of nodes and animation
// clips. The same scene and precision always give the same bytes.
//
// Element ids are the scene's name followed by what they hold ("ShipGeometry",
// "ShipSkin"); the mesh's node is "<name>Mesh", the joints hang under a node
// "Armature".
class ColladaWriter {
public:
    typedef std::array<double, 16> Matrix;  // row-major, as Collada writes it

    static Matrix Identity();
    static Matrix Translation(double x, double y, double z);

    struct Joint {
        std::string name;                // node id, name and sid; what bones and channels refer to
        int parent;                      // index into Scene::joints, -1 for a root
        Matrix pose;                     // the node's transform
        Matrix inverseBind = Identity(); // mesh space to the joint's space
    };

    struct Weight {
        int joint;      // index into Scene::joints
        double weight;
    };

    struct Animation {
        std::string id;                // the animation element's id, what clips refer to
        std::string target;            // node whose matrix it drives
        std::vector<double> times;     // seconds, one per key
        std::vector<Matrix> poses;     // one per key, linear in between
        std::string sourceId = "";     // prefix of its sources' ids; empty: id. Unique in the file
    };

    // NOTE: the model importer reads each library_animation_clips element as
    // one clip, named by the element, with instance_animation as its direct
    // children; standard animation_clip elements are not picked up. Clips are
    // written in that form.
    struct Clip {
        std::string name;
        std::vector<std::string> animations;  // Animation ids
    };

    struct Scene {
        std::string name = "Model";         // prefix of the element ids
        std::string authoringTool;          // empty: no contributor
        std::vector<double> positions;      // x y z per vertex
        std::vector<double> normals;        // x y z per vertex; empty: none
        std::vector<double> uvs;            // s t per vertex; empty: none
        std::vector<unsigned int> triangles;  // three vertex indices each
        Matrix meshNode = Identity();       // transform of the node holding the mesh
        std::string diffuseImage;           // file name; empty: a white material without texture
        std::vector<Joint> joints;          // empty: no skin, the mesh is instanced as is
        std::vector<std::vector<Weight>> weights;  // per vertex, when there are joints
        std::vector<Animation> animations;
        std::vector<Clip> clips;
    };

    // Numbers are written with significantDigits significant digits; those
    // closer to 0 than half a unit of the last digit of 1 (5e-7 for 6 digits)
    // are written 0, so rounding noise never shows as "-0" or "1e-17".
    explicit ColladaWriter(int significantDigits);

    std::string Write(const Scene& scene) const;

private:
    std::string Number(double value) const;
    std::string Numbers(const double* values, size_t count) const;
    std::string FloatSource(const std::string& id, const std::vector<double>& values, int stride,
                            const std::string& params) const;
    std::string Geometry(const Scene& scene) const;
    std::string Controller(const Scene& scene) const;
    std::string Animations(const Scene& scene) const;
    std::string VisualScene(const Scene& scene) const;
    std::string JointNodes(const Scene& scene, int parent, const std::string& indent) const;

    int digits;
    double zeroBelow;  // magnitudes below this are written 0
};
