#include "ModelFiles.h"

#include <cmath>
#include <cstdio>

namespace meshtest {

Matrix Identity()
{
    return ColladaWriter::Identity();
}

Matrix Translation(float x, float y, float z)
{
    return ColladaWriter::Translation(x, y, z);
}

Matrix RotationY(float degrees)
{
    const float a = degrees * 3.14159265358979f / 180, c = std::cos(a), s = std::sin(a);
    return {c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1};
}

std::string Collada(const ColladaScene& scene)
{
    return ColladaWriter(9).Write(scene);  // nine digits write a float exactly
}

std::string DeepChainCollada(int levels, float step)
{
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n"
        "<library_geometries><geometry id=\"Geo\"><mesh>\n"
        "<source id=\"Pos\"><float_array id=\"Pos-a\" count=\"9\">0 0 0 1 0 0 0 1 0</float_array><technique_common>"
        "<accessor source=\"#Pos-a\" count=\"3\" stride=\"3\"><param name=\"X\" type=\"float\"/>"
        "<param name=\"Y\" type=\"float\"/><param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
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
