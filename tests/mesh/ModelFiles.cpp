#include "ModelFiles.h"

#include <cmath>
#include <cstdio>

namespace meshtest {

namespace {

std::string Numbers(const std::vector<float>& values)
{
    std::string text;
    char number[32];
    for (size_t i = 0; i < values.size(); i++) {
        std::snprintf(number, sizeof number, "%s%.9g", i ? " " : "", values[i]);
        text += number;
    }
    return text;
}

std::string Source(const std::string& id, const std::vector<float>& values, int stride, const std::string& params)
{
    return "<source id=\"" + id + "\"><float_array id=\"" + id + "-a\" count=\"" + std::to_string(values.size()) +
           "\">" + Numbers(values) + "</float_array><technique_common><accessor source=\"#" + id + "-a\" count=\"" +
           std::to_string(values.size() / stride) + "\" stride=\"" + std::to_string(stride) + "\">" + params +
           "</accessor></technique_common></source>\n";
}

const char* const Xyz = "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" type=\"float\"/>";
const char* const Header =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
    "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n";

std::string JointNodes(const ColladaScene& scene, int parent)
{
    std::string text;
    for (size_t j = 0; j < scene.joints.size(); j++) {
        const Joint& joint = scene.joints[j];
        if (joint.parent != parent)
            continue;
        text += "<node id=\"" + joint.name + "\" name=\"" + joint.name + "\" sid=\"" + joint.name +
                "\" type=\"JOINT\"><matrix sid=\"transform\">" + Numbers(joint.pose) + "</matrix>\n" +
                JointNodes(scene, static_cast<int>(j)) + "</node>\n";
    }
    return text;
}

}  // namespace

Matrix Identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix Translation(float x, float y, float z)
{
    return {1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1};
}

Matrix RotationY(float degrees)
{
    const float a = degrees * 3.14159265358979f / 180, c = std::cos(a), s = std::sin(a);
    return {c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1};
}

std::string Collada(const ColladaScene& scene)
{
    std::string text = Header;
    const bool textured = !scene.diffuseImage.empty();
    if (textured)
        text += "<library_images><image id=\"Img\"><init_from>" + scene.diffuseImage + "</init_from></image></library_images>\n";
    text += "<library_effects><effect id=\"Fx\"><profile_COMMON>";
    if (textured)
        text += "<newparam sid=\"Surf\"><surface type=\"2D\"><init_from>Img</init_from></surface></newparam>"
                "<newparam sid=\"Samp\"><sampler2D><source>Surf</source></sampler2D></newparam>"
                "<technique sid=\"common\"><lambert><diffuse><texture texture=\"Samp\" texcoord=\"UV\"/></diffuse></lambert></technique>";
    else
        text += "<technique sid=\"common\"><lambert><diffuse><color>1 1 1 1</color></diffuse></lambert></technique>";
    text += "</profile_COMMON></effect></library_effects>\n"
            "<library_materials><material id=\"Mat\" name=\"Mat\"><instance_effect url=\"#Fx\"/></material></library_materials>\n";

    std::string indices;
    for (unsigned int index : scene.triangles)
        indices += std::to_string(index) + " ";
    text += "<library_geometries><geometry id=\"Geo\"><mesh>\n" + Source("Pos", scene.positions, 3, Xyz) +
            "<vertices id=\"Vtx\"><input semantic=\"POSITION\" source=\"#Pos\"/></vertices>\n"
            "<triangles material=\"MatSym\" count=\"" + std::to_string(scene.triangles.size() / 3) +
            "\"><input semantic=\"VERTEX\" source=\"#Vtx\" offset=\"0\"/><p>" + indices +
            "</p></triangles>\n</mesh></geometry></library_geometries>\n";

    const bool skinned = !scene.joints.empty();
    if (skinned) {
        std::string names, vcount, v;
        std::vector<float> inverseBinds, weights;
        for (const Joint& joint : scene.joints) {
            names += (names.empty() ? "" : " ") + joint.name;
            const Matrix identity = Identity();
            inverseBinds.insert(inverseBinds.end(), identity.begin(), identity.end());
        }
        for (const std::vector<Weight>& list : scene.weights) {
            vcount += std::to_string(list.size()) + " ";
            for (const Weight& w : list) {
                v += std::to_string(w.joint) + " " + std::to_string(weights.size()) + " ";
                weights.push_back(w.weight);
            }
        }
        const std::string count = std::to_string(scene.joints.size());
        text += "<library_controllers><controller id=\"Skin\"><skin source=\"#Geo\"><bind_shape_matrix>" +
                Numbers(Identity()) + "</bind_shape_matrix>\n"
                "<source id=\"Jn\"><Name_array id=\"Jn-a\" count=\"" + count + "\">" + names +
                "</Name_array><technique_common><accessor source=\"#Jn-a\" count=\"" + count +
                "\" stride=\"1\"><param name=\"JOINT\" type=\"name\"/></accessor></technique_common></source>\n" +
                Source("Ib", inverseBinds, 16, "<param name=\"TRANSFORM\" type=\"float4x4\"/>") +
                Source("Wt", weights, 1, "<param name=\"WEIGHT\" type=\"float\"/>") +
                "<joints><input semantic=\"JOINT\" source=\"#Jn\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#Ib\"/></joints>\n"
                "<vertex_weights count=\"" + std::to_string(scene.weights.size()) +
                "\"><input semantic=\"JOINT\" source=\"#Jn\" offset=\"0\"/><input semantic=\"WEIGHT\" source=\"#Wt\" offset=\"1\"/>"
                "<vcount>" + vcount + "</vcount><v>" + v + "</v></vertex_weights>\n"
                "</skin></controller></library_controllers>\n";
    }

    if (!scene.animations.empty()) {
        text += "<library_animations>\n";
        for (const Animation& a : scene.animations) {
            std::vector<float> poses;
            std::string interpolation;
            for (const Matrix& pose : a.poses) {
                poses.insert(poses.end(), pose.begin(), pose.end());
                interpolation += "LINEAR ";
            }
            const std::string keys = std::to_string(a.times.size());
            text += "<animation id=\"" + a.id + "\">" + Source(a.id + "-t", a.times, 1, "<param name=\"TIME\" type=\"float\"/>") +
                    Source(a.id + "-p", poses, 16, "<param name=\"TRANSFORM\" type=\"float4x4\"/>") +
                    "<source id=\"" + a.id + "-i\"><Name_array id=\"" + a.id + "-i-a\" count=\"" + keys + "\">" +
                    interpolation + "</Name_array><technique_common><accessor source=\"#" + a.id + "-i-a\" count=\"" + keys +
                    "\" stride=\"1\"><param name=\"INTERPOLATION\" type=\"name\"/></accessor></technique_common></source>\n"
                    "<sampler id=\"" + a.id + "-s\"><input semantic=\"INPUT\" source=\"#" + a.id + "-t\"/>"
                    "<input semantic=\"OUTPUT\" source=\"#" + a.id + "-p\"/><input semantic=\"INTERPOLATION\" source=\"#" + a.id +
                    "-i\"/></sampler><channel source=\"#" + a.id + "-s\" target=\"" + a.target + "/transform\"/></animation>\n";
        }
        text += "</library_animations>\n";
    }
    // NOTE: the importer reads each library_animation_clips element as one
    // clip, named by the element, with instance_animation as its direct
    // children; standard animation_clip elements are not picked up.
    for (const Clip& clip : scene.clips) {
        text += "<library_animation_clips id=\"" + clip.name + "\" name=\"" + clip.name + "\">";
        for (const std::string& id : clip.animations)
            text += "<instance_animation url=\"#" + id + "\"/>";
        text += "</library_animation_clips>\n";
    }

    const std::string bind = "<bind_material><technique_common><instance_material symbol=\"MatSym\" target=\"#Mat\">"
                             "<bind_vertex_input semantic=\"UV\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>"
                             "</instance_material></technique_common></bind_material>";
    text += "<library_visual_scenes><visual_scene id=\"Scene\">\n";
    if (skinned)
        text += "<node id=\"Armature\" name=\"Armature\" type=\"NODE\">" + JointNodes(scene, -1) + "</node>\n";
    text += "<node id=\"MeshNode\" name=\"MeshNode\" type=\"NODE\"><matrix sid=\"transform\">" + Numbers(scene.meshNode) +
            "</matrix>";
    if (skinned)
        text += "<instance_controller url=\"#Skin\"><skeleton>#" + scene.joints[0].name + "</skeleton>" + bind + "</instance_controller>";
    else
        text += "<instance_geometry url=\"#Geo\">" + bind + "</instance_geometry>";
    text += "</node>\n</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return text;
}

std::string DeepChainCollada(int levels, float step)
{
    std::string text = Header;
    text += "<library_geometries><geometry id=\"Geo\"><mesh>\n" + Source("Pos", {0, 0, 0, 1, 0, 0, 0, 1, 0}, 3, Xyz) +
            "<vertices id=\"Vtx\"><input semantic=\"POSITION\" source=\"#Pos\"/></vertices>\n"
            "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#Vtx\" offset=\"0\"/><p>0 1 2</p></triangles>\n"
            "</mesh></geometry></library_geometries>\n<library_visual_scenes><visual_scene id=\"Scene\">\n";
    char translate[64];
    std::snprintf(translate, sizeof translate, "<translate>%.9g 0 0</translate>", step);
    for (int i = 0; i < levels; i++)
        text += "<node id=\"n" + std::to_string(i) + "\" name=\"n" + std::to_string(i) + "\">" + translate + "\n";
    text += "<instance_geometry url=\"#Geo\"/>";
    for (int i = 0; i < levels; i++)
        text += "</node>";
    text += "\n</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return text;
}

}  // namespace meshtest
