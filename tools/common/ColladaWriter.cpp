#include "ColladaWriter.h"

#include <cmath>
#include <cstdio>

namespace {

const char* const XyzParams =
    "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" type=\"float\"/>";
const char* const StParams = "<param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>";
const char* const MatrixParams = "<param name=\"TRANSFORM\" type=\"float4x4\"/>";

// A source of names, such as joints or interpolations, written as words.
std::string NameSource(const std::string& id, const std::string& words, size_t count, const std::string& param)
{
    const std::string n = std::to_string(count);
    return "      <source id=\"" + id + "\"><Name_array id=\"" + id + "-array\" count=\"" + n + "\">" + words +
           "</Name_array><technique_common><accessor source=\"#" + id + "-array\" count=\"" + n +
           "\" stride=\"1\"><param name=\"" + param + "\" type=\"name\"/></accessor></technique_common></source>\n";
}

std::vector<double> Flatten(const std::vector<ColladaWriter::Matrix>& matrices)
{
    std::vector<double> values;
    for (const ColladaWriter::Matrix& m : matrices)
        values.insert(values.end(), m.begin(), m.end());
    return values;
}

}  // namespace

ColladaWriter::Matrix ColladaWriter::Identity()
{
    return Translation(0, 0, 0);
}

ColladaWriter::Matrix ColladaWriter::Translation(double x, double y, double z)
{
    return {1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1};
}

ColladaWriter::ColladaWriter(int significantDigits)
    : digits(significantDigits), zeroBelow(0.5 * std::pow(10.0, -significantDigits))
{
}

std::string ColladaWriter::Number(double value) const
{
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, std::fabs(value) < zeroBelow ? 0.0 : value);
    return text;
}

std::string ColladaWriter::Numbers(const double* values, size_t count) const
{
    std::string text;
    for (size_t i = 0; i < count; i++)
        text += (i ? " " : "") + Number(values[i]);
    return text;
}

std::string ColladaWriter::FloatSource(const std::string& id, const std::vector<double>& values, int stride,
                                       const std::string& params) const
{
    const size_t count = values.size() / stride;
    return "      <source id=\"" + id + "\">\n        <float_array id=\"" + id + "-array\" count=\"" +
           std::to_string(values.size()) + "\">" + Numbers(values.data(), values.size()) + "</float_array>\n" +
           "        <technique_common><accessor source=\"#" + id + "-array\" count=\"" + std::to_string(count) +
           "\" stride=\"" + std::to_string(stride) + "\">" + params + "</accessor></technique_common>\n      </source>\n";
}

std::string ColladaWriter::Write(const Scene& scene) const
{
    const std::string& n = scene.name;
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        "  <asset>\n";
    if (!scene.authoringTool.empty())
        text += "    <contributor><authoring_tool>" + scene.authoringTool + "</authoring_tool></contributor>\n";
    text += "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n";

    std::string technique;
    if (scene.diffuseImage.empty()) {
        technique = "<color>1 1 1 1</color>";
    } else {
        text += "  <library_images>\n    <image id=\"" + n + "Image\" name=\"" + n + "Image\"><init_from>" +
                scene.diffuseImage + "</init_from></image>\n  </library_images>\n";
        technique = "<texture texture=\"" + n + "Sampler\" texcoord=\"UVMap\"/>";
    }
    text += "  <library_effects>\n    <effect id=\"" + n + "Effect\">\n      <profile_COMMON>\n";
    if (!scene.diffuseImage.empty())
        text += "        <newparam sid=\"" + n + "Surface\"><surface type=\"2D\"><init_from>" + n +
                "Image</init_from></surface></newparam>\n"
                "        <newparam sid=\"" + n + "Sampler\"><sampler2D><source>" + n +
                "Surface</source></sampler2D></newparam>\n";
    text += "        <technique sid=\"common\"><lambert><diffuse>" + technique + "</diffuse></lambert></technique>\n"
            "      </profile_COMMON>\n    </effect>\n  </library_effects>\n"
            "  <library_materials>\n    <material id=\"" + n + "Material\" name=\"" + n +
            "Material\"><instance_effect url=\"#" + n + "Effect\"/></material>\n  </library_materials>\n";

    text += Geometry(scene);
    if (!scene.joints.empty())
        text += Controller(scene);
    text += Animations(scene);
    return text + VisualScene(scene);
}

std::string ColladaWriter::Geometry(const Scene& scene) const
{
    const std::string& n = scene.name;
    std::string indices;
    for (unsigned int index : scene.triangles)
        indices += std::to_string(index) + " ";

    std::string text = "  <library_geometries>\n    <geometry id=\"" + n + "Geometry\" name=\"" + n +
                       "\">\n      <mesh>\n" + FloatSource(n + "Positions", scene.positions, 3, XyzParams);
    if (!scene.normals.empty())
        text += FloatSource(n + "Normals", scene.normals, 3, XyzParams);
    if (!scene.uvs.empty())
        text += FloatSource(n + "UVs", scene.uvs, 2, StParams);
    text += "      <vertices id=\"" + n + "Vertices\"><input semantic=\"POSITION\" source=\"#" + n +
            "Positions\"/></vertices>\n"
            "      <triangles material=\"" + n + "MaterialSymbol\" count=\"" + std::to_string(scene.triangles.size() / 3) +
            "\">\n        <input semantic=\"VERTEX\" source=\"#" + n + "Vertices\" offset=\"0\"/>\n";
    if (!scene.normals.empty())
        text += "        <input semantic=\"NORMAL\" source=\"#" + n + "Normals\" offset=\"0\"/>\n";
    if (!scene.uvs.empty())
        text += "        <input semantic=\"TEXCOORD\" source=\"#" + n + "UVs\" offset=\"0\" set=\"0\"/>\n";
    return text + "        <p>" + indices +
           "</p>\n      </triangles>\n      </mesh>\n    </geometry>\n  </library_geometries>\n";
}

std::string ColladaWriter::Controller(const Scene& scene) const
{
    const std::string& n = scene.name;
    std::string names, vcount, v;
    std::vector<Matrix> inverseBinds;
    for (const Joint& joint : scene.joints) {
        names += (names.empty() ? "" : " ") + joint.name;
        inverseBinds.push_back(joint.inverseBind);
    }
    std::vector<double> weights;
    for (const std::vector<Weight>& list : scene.weights) {
        vcount += std::to_string(list.size()) + " ";
        for (const Weight& w : list) {
            v += std::to_string(w.joint) + " " + std::to_string(weights.size()) + " ";
            weights.push_back(w.weight);
        }
    }
    const Matrix bindShape = Identity();
    return "  <library_controllers>\n    <controller id=\"" + n + "Skin\" name=\"" + n + "Skin\">\n"
           "      <skin source=\"#" + n + "Geometry\">\n"
           "      <bind_shape_matrix>" + Numbers(bindShape.data(), bindShape.size()) + "</bind_shape_matrix>\n" +
           NameSource(n + "Joints", names, scene.joints.size(), "JOINT") +
           FloatSource(n + "BindPoses", Flatten(inverseBinds), 16, MatrixParams) +
           FloatSource(n + "Weights", weights, 1, "<param name=\"WEIGHT\" type=\"float\"/>") +
           "      <joints><input semantic=\"JOINT\" source=\"#" + n + "Joints\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#" +
           n + "BindPoses\"/></joints>\n"
           "      <vertex_weights count=\"" + std::to_string(scene.weights.size()) + "\">\n"
           "        <input semantic=\"JOINT\" source=\"#" + n + "Joints\" offset=\"0\"/><input semantic=\"WEIGHT\" source=\"#" +
           n + "Weights\" offset=\"1\"/>\n"
           "        <vcount>" + vcount + "</vcount>\n        <v>" + v + "</v>\n      </vertex_weights>\n"
           "      </skin>\n    </controller>\n  </library_controllers>\n";
}

std::string ColladaWriter::Animations(const Scene& scene) const
{
    std::string text;
    if (!scene.animations.empty()) {
        text += "  <library_animations>\n";
        for (const Animation& a : scene.animations) {
            const std::string s = a.sourceId.empty() ? a.id : a.sourceId;
            std::string interpolation;
            for (size_t k = 0; k < a.poses.size(); k++)
                interpolation += std::string(k ? " " : "") + "LINEAR";
            text += "    <animation id=\"" + a.id + "\">\n" +
                    FloatSource(s + "Times", a.times, 1, "<param name=\"TIME\" type=\"float\"/>") +
                    FloatSource(s + "Poses", Flatten(a.poses), 16, MatrixParams) +
                    NameSource(s + "Interpolation", interpolation, a.poses.size(), "INTERPOLATION") +
                    "      <sampler id=\"" + s + "Sampler\"><input semantic=\"INPUT\" source=\"#" + s + "Times\"/>"
                    "<input semantic=\"OUTPUT\" source=\"#" + s + "Poses\"/><input semantic=\"INTERPOLATION\" source=\"#" +
                    s + "Interpolation\"/></sampler>\n"
                    "      <channel source=\"#" + s + "Sampler\" target=\"" + a.target + "/transform\"/>\n    </animation>\n";
        }
        text += "  </library_animations>\n";
    }
    for (const Clip& clip : scene.clips) {
        text += "  <library_animation_clips id=\"" + clip.name + "\" name=\"" + clip.name + "\">";
        for (const std::string& id : clip.animations)
            text += "<instance_animation url=\"#" + id + "\"/>";
        text += "</library_animation_clips>\n";
    }
    return text;
}

std::string ColladaWriter::VisualScene(const Scene& scene) const
{
    const std::string& n = scene.name;
    const Matrix identity = Identity();
    std::string text = "  <library_visual_scenes>\n    <visual_scene id=\"Scene\" name=\"Scene\">\n";
    if (!scene.joints.empty())
        text += "      <node id=\"Armature\" name=\"Armature\" type=\"NODE\">\n"
                "        <matrix sid=\"transform\">" + Numbers(identity.data(), identity.size()) + "</matrix>\n" +
                JointNodes(scene, -1, "        ") + "      </node>\n";

    const std::string bind = "<bind_material><technique_common><instance_material symbol=\"" + n +
                             "MaterialSymbol\" target=\"#" + n + "Material\">"
                             "<bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>"
                             "</instance_material></technique_common></bind_material>";
    text += "      <node id=\"" + n + "Mesh\" name=\"" + n + "Mesh\" type=\"NODE\">\n"
            "        <matrix sid=\"transform\">" + Numbers(scene.meshNode.data(), scene.meshNode.size()) + "</matrix>\n";
    if (scene.joints.empty())
        text += "        <instance_geometry url=\"#" + n + "Geometry\">" + bind + "</instance_geometry>\n";
    else
        text += "        <instance_controller url=\"#" + n + "Skin\"><skeleton>#" + scene.joints[0].name + "</skeleton>" +
                bind + "</instance_controller>\n";
    return text + "      </node>\n    </visual_scene>\n  </library_visual_scenes>\n"
                  "  <scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
}

// The joints whose parent is parent, each a node with its children inside;
// a joint without children stands on one line.
std::string ColladaWriter::JointNodes(const Scene& scene, int parent, const std::string& indent) const
{
    std::string text;
    for (size_t j = 0; j < scene.joints.size(); j++) {
        const Joint& joint = scene.joints[j];
        if (joint.parent != parent)
            continue;
        const std::string open = "<node id=\"" + joint.name + "\" name=\"" + joint.name + "\" sid=\"" + joint.name +
                                 "\" type=\"JOINT\">";
        const std::string matrix = "<matrix sid=\"transform\">" + Numbers(joint.pose.data(), joint.pose.size()) + "</matrix>";
        const std::string children = JointNodes(scene, static_cast<int>(j), indent + "  ");
        if (children.empty())
            text += indent + open + matrix + "</node>\n";
        else
            text += indent + open + "\n" + indent + "  " + matrix + "\n" + children + indent + "</node>\n";
    }
    return text;
}
