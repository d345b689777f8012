#pragma once
// Small Collada files written by the tests: quads and fans of triangles in the z = 0 plane,
// facing +z, with materials that may or may not name a texture, and optional skins.

#include <FreeImage.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace snippets {

struct Material {
    std::string id;
    std::string texture; // as written in the file; empty for none
};

// `triangles` triangles of a fan around the origin, radius 1; without texture coordinates
// when uvs is false.
inline std::string geometry(const std::string& id, int triangles, bool uvs, const std::string& material)
{
    std::ostringstream positions, texcoords, indices;
    positions << "0 0 0";
    texcoords << "0.5 0.5";
    for (int k = 0; k <= triangles; ++k) {
        const double a = 6.2831853 * k / (triangles + 1) - 2.4;
        positions << " " << std::cos(a) << " " << std::sin(a) << " 0";
        texcoords << " " << 0.5 + 0.5 * std::cos(a) << " " << 0.5 + 0.5 * std::sin(a);
    }
    for (int t = 0; t < triangles; ++t)
        indices << (t ? " " : "") << "0 " << t + 1 << " " << t + 2;
    std::ostringstream out;
    out << "<geometry id=\"" << id << "\"><mesh>"
        << "<source id=\"" << id << "-p\"><float_array id=\"" << id << "-pa\" count=\"" << 3 * (triangles + 2) << "\">"
        << positions.str() << "</float_array><technique_common><accessor source=\"#" << id << "-pa\" count=\""
        << triangles + 2 << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
        << "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>";
    if (uvs)
        out << "<source id=\"" << id << "-t\"><float_array id=\"" << id << "-ta\" count=\"" << 2 * (triangles + 2)
            << "\">" << texcoords.str() << "</float_array><technique_common><accessor source=\"#" << id
            << "-ta\" count=\"" << triangles + 2 << "\" stride=\"2\"><param name=\"S\" type=\"float\"/>"
            << "<param name=\"T\" type=\"float\"/></accessor></technique_common></source>";
    out << "<vertices id=\"" << id << "-v\"><input semantic=\"POSITION\" source=\"#" << id << "-p\"/></vertices>"
        << "<triangles material=\"" << material << "\" count=\"" << triangles << "\">"
        << "<input semantic=\"VERTEX\" source=\"#" << id << "-v\" offset=\"0\"/>";
    if (uvs)
        out << "<input semantic=\"TEXCOORD\" source=\"#" << id << "-t\" offset=\"0\" set=\"0\"/>";
    out << "<p>" << indices.str() << "</p></triangles></mesh></geometry>\n";
    return out.str();
}

inline std::string instance(const std::string& geometryId, const std::string& material)
{
    return "<instance_geometry url=\"#" + geometryId
        + "\"><bind_material><technique_common><instance_material symbol=\"" + material + "\" target=\"#" + material
        + "\"/></technique_common></bind_material></instance_geometry>";
}

// A node translated by (x, y, z) holding the given instances and children.
inline std::string node(const std::string& name, float x, float y, float z, const std::string& content)
{
    std::ostringstream out;
    out << "<node id=\"" << name << "\" name=\"" << name << "\" sid=\"" << name << "\"><matrix sid=\"transform\">1 0 0 "
        << x << " 0 1 0 " << y << " 0 0 1 " << z << " 0 0 0 1</matrix>" << content << "</node>\n";
    return out.str();
}

inline std::string document(const std::string& sceneName, const std::vector<Material>& materials,
                            const std::string& geometries, const std::string& nodes,
                            const std::string& controllers = std::string())
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">"
        << "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n<library_images>";
    for (const Material& m : materials)
        if (!m.texture.empty())
            out << "<image id=\"" << m.id << "-img\"><init_from>" << m.texture << "</init_from></image>";
    out << "</library_images>\n<library_effects>";
    for (const Material& m : materials) {
        out << "<effect id=\"" << m.id << "-fx\"><profile_COMMON>";
        if (!m.texture.empty())
            out << "<newparam sid=\"" << m.id << "-surf\"><surface type=\"2D\"><init_from>" << m.id
                << "-img</init_from></surface></newparam><newparam sid=\"" << m.id << "-samp\"><sampler2D><source>"
                << m.id << "-surf</source></sampler2D></newparam>";
        out << "<technique sid=\"common\"><lambert><diffuse>";
        if (!m.texture.empty())
            out << "<texture texture=\"" << m.id << "-samp\" texcoord=\"UVMap\"/>";
        else
            out << "<color>0.8 0.8 0.8 1</color>";
        out << "</diffuse></lambert></technique></profile_COMMON></effect>";
    }
    out << "</library_effects>\n<library_materials>";
    for (const Material& m : materials)
        out << "<material id=\"" << m.id << "\"><instance_effect url=\"#" << m.id << "-fx\"/></material>";
    out << "</library_materials>\n<library_geometries>" << geometries << "</library_geometries>\n";
    if (!controllers.empty())
        out << "<library_controllers>" << controllers << "</library_controllers>\n";
    out << "<library_visual_scenes><visual_scene id=\"" << sceneName << "\" name=\"" << sceneName << "\">" << nodes
        << "</visual_scene></library_visual_scenes><scene><instance_visual_scene url=\"#" << sceneName
        << "\"/></scene></COLLADA>\n";
    return out.str();
}

// A skin of a fan geometry binding every vertex fully to one joint.
inline std::string skin(const std::string& id, const std::string& geometryId, int vertices, const std::string& joint,
                        float offsetX)
{
    std::ostringstream out, counts, pairs;
    for (int v = 0; v < vertices; ++v) {
        counts << (v ? " " : "") << 1;
        pairs << (v ? " " : "") << "0 0";
    }
    out << "<controller id=\"" << id << "\"><skin source=\"#" << geometryId << "\">"
        << "<bind_shape_matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</bind_shape_matrix>"
        << "<source id=\"" << id << "-j\"><Name_array id=\"" << id << "-ja\" count=\"1\">" << joint
        << "</Name_array><technique_common><accessor source=\"#" << id
        << "-ja\" count=\"1\" stride=\"1\"><param name=\"JOINT\" type=\"name\"/></accessor></technique_common></source>"
        << "<source id=\"" << id << "-m\"><float_array id=\"" << id << "-ma\" count=\"16\">1 0 0 " << offsetX
        << " 0 1 0 0 0 0 1 0 0 0 0 1</float_array><technique_common><accessor source=\"#" << id
        << "-ma\" count=\"1\" stride=\"16\"><param name=\"TRANSFORM\" "
           "type=\"float4x4\"/></accessor></technique_common></source>"
        << "<source id=\"" << id << "-w\"><float_array id=\"" << id
        << "-wa\" count=\"1\">1</float_array><technique_common>"
        << "<accessor source=\"#" << id << "-wa\" count=\"1\" stride=\"1\"><param name=\"WEIGHT\" type=\"float\"/>"
        << "</accessor></technique_common></source>"
        << "<joints><input semantic=\"JOINT\" source=\"#" << id
        << "-j\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#" << id << "-m\"/></joints><vertex_weights count=\""
        << vertices << "\"><input semantic=\"JOINT\" source=\"#" << id
        << "-j\" offset=\"0\"/><input semantic=\"WEIGHT\" source=\"#" << id << "-w\" offset=\"1\"/><vcount>"
        << counts.str() << "</vcount><v>" << pairs.str() << "</v></vertex_weights></skin></controller>\n";
    return out.str();
}

inline bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return bool(file);
}

// A small plain white RGBA image.
inline bool writeWhitePng(const std::string& path)
{
    FIBITMAP* image = FreeImage_Allocate(4, 4, 32);
    for (int y = 0; y < 4; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, y);
        for (int i = 0; i < 16; ++i)
            line[i] = 255;
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), 0) != 0;
    FreeImage_Unload(image);
    return saved;
}

} // namespace snippets
