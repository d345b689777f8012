#include "ColladaWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace models {

namespace {

// Shortest text that reads back as the same float, so files stay small and deterministic.
std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", double(value));
    return text;
}

// Collada matrices are written row by row; glm keeps columns.
void writeMatrix(std::ostream& out, const glm::mat4& m)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out << (row || column ? " " : "") << number(m[column][row]);
}

void writeFloatSource(std::ostream& out, const std::string& id, const std::vector<float>& values, int stride,
                      const std::vector<std::string>& params, const std::string& type = "float")
{
    out << "        <source id=\"" << id << "\">\n";
    out << "          <float_array id=\"" << id << "-array\" count=\"" << values.size() << "\">";
    for (size_t i = 0; i < values.size(); ++i)
        out << (i ? " " : "") << number(values[i]);
    out << "</float_array>\n";
    out << "          <technique_common><accessor source=\"#" << id << "-array\" count=\""
        << values.size() / size_t(stride) << "\" stride=\"" << stride << "\">";
    for (const std::string& p : params)
        out << "<param name=\"" << p << "\" type=\"" << type << "\"/>";
    out << "</accessor></technique_common>\n";
    out << "        </source>\n";
}

void writeGeometry(std::ostream& out, const ColladaGeometry& g)
{
    std::vector<float> positions, normals, uvs;
    for (const MeshVertex& v : g.mesh.vertices) {
        positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
        normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
        uvs.insert(uvs.end(), {v.uv.x, v.uv.y});
    }
    out << "    <geometry id=\"" << g.id << "\" name=\"" << g.id << "\">\n      <mesh>\n";
    writeFloatSource(out, g.id + "-positions", positions, 3, {"X", "Y", "Z"});
    writeFloatSource(out, g.id + "-normals", normals, 3, {"X", "Y", "Z"});
    writeFloatSource(out, g.id + "-uvs", uvs, 2, {"S", "T"});
    out << "        <vertices id=\"" << g.id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << g.id
        << "-positions\"/></vertices>\n";
    out << "        <triangles material=\"" << g.materialId << "\" count=\"" << g.mesh.indices.size() / 3 << "\">\n";
    out << "          <input semantic=\"VERTEX\" source=\"#" << g.id << "-vertices\" offset=\"0\"/>\n";
    out << "          <input semantic=\"NORMAL\" source=\"#" << g.id << "-normals\" offset=\"0\"/>\n";
    out << "          <input semantic=\"TEXCOORD\" source=\"#" << g.id << "-uvs\" offset=\"0\" set=\"0\"/>\n";
    out << "          <p>";
    for (size_t i = 0; i < g.mesh.indices.size(); ++i)
        out << (i ? " " : "") << g.mesh.indices[i];
    out << "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
}

void writeSkin(std::ostream& out, const ColladaSkin& skin, const ColladaGeometry& g)
{
    out << "    <controller id=\"" << skin.id << "\" name=\"" << skin.id << "\">\n";
    out << "      <skin source=\"#" << g.id << "\">\n";
    out << "        <bind_shape_matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</bind_shape_matrix>\n";
    out << "        <source id=\"" << skin.id << "-joints\">\n          <Name_array id=\"" << skin.id
        << "-joints-array\" count=\"" << skin.joints.size() << "\">";
    for (size_t i = 0; i < skin.joints.size(); ++i)
        out << (i ? " " : "") << skin.joints[i];
    out << "</Name_array>\n          <technique_common><accessor source=\"#" << skin.id << "-joints-array\" count=\""
        << skin.joints.size() << "\" stride=\"1\"><param name=\"JOINT\" type=\"name\"/></accessor></technique_common>\n"
        << "        </source>\n";
    std::vector<float> poses;
    for (const glm::mat4& m : skin.inverseBindPoses)
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                poses.push_back(m[column][row]);
    writeFloatSource(out, skin.id + "-poses", poses, 16, {"TRANSFORM"}, "float4x4");
    std::vector<float> weights;
    std::ostringstream counts, pairs;
    for (const MeshVertex& v : g.mesh.vertices) {
        int used = 0;
        for (const Influence& influence : v.influences) {
            if (influence.bone < 0 || influence.weight <= 0.0f)
                continue;
            pairs << (weights.empty() ? "" : " ") << influence.bone << " " << weights.size();
            weights.push_back(influence.weight);
            ++used;
        }
        counts << (&v == &g.mesh.vertices.front() ? "" : " ") << used;
    }
    writeFloatSource(out, skin.id + "-weights", weights, 1, {"WEIGHT"});
    out << "        <joints><input semantic=\"JOINT\" source=\"#" << skin.id
        << "-joints\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#" << skin.id << "-poses\"/></joints>\n";
    out << "        <vertex_weights count=\"" << g.mesh.vertices.size() << "\">\n";
    out << "          <input semantic=\"JOINT\" source=\"#" << skin.id << "-joints\" offset=\"0\"/>\n";
    out << "          <input semantic=\"WEIGHT\" source=\"#" << skin.id << "-weights\" offset=\"1\"/>\n";
    out << "          <vcount>" << counts.str() << "</vcount>\n          <v>" << pairs.str() << "</v>\n";
    out << "        </vertex_weights>\n      </skin>\n    </controller>\n";
}

void writeBindMaterial(std::ostream& out, const std::string& materialId, const std::string& indent)
{
    out << indent << "<bind_material><technique_common><instance_material symbol=\"" << materialId << "\" target=\"#"
        << materialId
        << "\"><bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>"
           "</instance_material></technique_common></bind_material>\n";
}

const ColladaGeometry* findGeometry(const ColladaDocument& d, const std::string& id)
{
    for (const ColladaGeometry& g : d.geometries)
        if (g.id == id)
            return &g;
    return nullptr;
}

void writeNode(std::ostream& out, const ColladaDocument& d, const ColladaNode& node, int depth)
{
    const std::string indent(size_t(4 + 2 * depth), ' ');
    out << indent << "<node id=\"" << node.id << "\" name=\"" << node.id << "\" sid=\"" << node.id << "\" type=\""
        << (node.joint ? "JOINT" : "NODE") << "\">\n";
    out << indent << "  <matrix sid=\"transform\">";
    writeMatrix(out, node.transform);
    out << "</matrix>\n";
    for (const std::string& id : node.geometries) {
        const ColladaGeometry* g = findGeometry(d, id);
        out << indent << "  <instance_geometry url=\"#" << id << "\">\n";
        if (g)
            writeBindMaterial(out, g->materialId, indent + "    ");
        out << indent << "  </instance_geometry>\n";
    }
    if (!node.controller.empty()) {
        for (const ColladaSkin& skin : d.skins) {
            if (skin.id != node.controller)
                continue;
            const ColladaGeometry* g = findGeometry(d, skin.geometryId);
            out << indent << "  <instance_controller url=\"#" << skin.id << "\">\n";
            out << indent << "    <skeleton>#" << node.skeleton << "</skeleton>\n";
            if (g)
                writeBindMaterial(out, g->materialId, indent + "    ");
            out << indent << "  </instance_controller>\n";
        }
    }
    for (const ColladaNode& child : node.children)
        writeNode(out, d, child, depth + 1);
    out << indent << "</node>\n";
}

void writeAnimations(std::ostream& out, const ColladaDocument& d)
{
    if (d.tracks.empty())
        return;
    out << "  <library_animations>\n    <animation id=\"" << d.clipName << "\" name=\"" << d.clipName << "\">\n";
    for (const ColladaTrack& track : d.tracks) {
        const std::string id = d.clipName + "-" + track.nodeId;
        writeFloatSource(out, id + "-input", track.times, 1, {"TIME"});
        std::vector<float> values;
        for (const glm::mat4& m : track.values)
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column)
                    values.push_back(m[column][row]);
        writeFloatSource(out, id + "-output", values, 16, {"TRANSFORM"}, "float4x4");
        out << "        <source id=\"" << id << "-interpolation\"><Name_array id=\"" << id
            << "-interpolation-array\" count=\"" << track.times.size() << "\">";
        for (size_t i = 0; i < track.times.size(); ++i)
            out << (i ? " " : "") << "LINEAR";
        out << "</Name_array><technique_common><accessor source=\"#" << id << "-interpolation-array\" count=\""
            << track.times.size()
            << "\" stride=\"1\"><param name=\"INTERPOLATION\" type=\"name\"/></accessor></technique_common></source>\n";
        out << "        <sampler id=\"" << id << "-sampler\"><input semantic=\"INPUT\" source=\"#" << id
            << "-input\"/><input semantic=\"OUTPUT\" source=\"#" << id
            << "-output\"/><input semantic=\"INTERPOLATION\" source=\"#" << id << "-interpolation\"/></sampler>\n";
        out << "        <channel source=\"#" << id << "-sampler\" target=\"" << track.nodeId << "/transform\"/>\n";
    }
    out << "    </animation>\n  </library_animations>\n";
}

} // namespace

bool writeCollada(const ColladaDocument& d, const std::string& path)
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    out << "  <asset><contributor><authoring_tool>grov-generate</authoring_tool></contributor>"
           "<unit name=\"meter\" meter=\"1\"/><up_axis>"
        << (d.zUp ? "Z_UP" : "Y_UP") << "</up_axis></asset>\n";
    out << "  <library_images>\n";
    for (const ColladaMaterial& m : d.materials)
        out << "    <image id=\"" << m.id << "-image\" name=\"" << m.id << "-image\"><init_from>" << m.imageFile
            << "</init_from></image>\n";
    out << "  </library_images>\n  <library_effects>\n";
    for (const ColladaMaterial& m : d.materials) {
        out << "    <effect id=\"" << m.id << "-effect\"><profile_COMMON>\n"
            << "      <newparam sid=\"" << m.id << "-surface\"><surface type=\"2D\"><init_from>" << m.id
            << "-image</init_from></surface></newparam>\n"
            << "      <newparam sid=\"" << m.id << "-sampler\"><sampler2D><source>" << m.id
            << "-surface</source></sampler2D></newparam>\n"
            << "      <technique sid=\"common\"><phong>"
               "<ambient><color>0.2 0.2 0.2 1</color></ambient>"
               "<diffuse><texture texture=\""
            << m.id
            << "-sampler\" texcoord=\"UVMap\"/></diffuse>"
               "<specular><color>0.3 0.3 0.3 1</color></specular><shininess><float>10</float></shininess>"
               "</phong></technique>\n    </profile_COMMON></effect>\n";
    }
    out << "  </library_effects>\n  <library_materials>\n";
    for (const ColladaMaterial& m : d.materials)
        out << "    <material id=\"" << m.id << "\" name=\"" << m.id << "\"><instance_effect url=\"#" << m.id
            << "-effect\"/></material>\n";
    out << "  </library_materials>\n  <library_geometries>\n";
    for (const ColladaGeometry& g : d.geometries)
        writeGeometry(out, g);
    out << "  </library_geometries>\n";
    if (!d.skins.empty()) {
        out << "  <library_controllers>\n";
        for (const ColladaSkin& skin : d.skins)
            if (const ColladaGeometry* g = findGeometry(d, skin.geometryId))
                writeSkin(out, skin, *g);
        out << "  </library_controllers>\n";
    }
    writeAnimations(out, d);
    out << "  <library_visual_scenes>\n    <visual_scene id=\"" << d.sceneName << "\" name=\"" << d.sceneName
        << "\">\n";
    for (const ColladaNode& node : d.nodes)
        writeNode(out, d, node, 1);
    out << "    </visual_scene>\n  </library_visual_scenes>\n";
    out << "  <scene><instance_visual_scene url=\"#" << d.sceneName << "\"/></scene>\n</COLLADA>\n";

    std::ofstream file(path, std::ios::binary);
    if (!file)
        return false;
    file << out.str();
    return bool(file);
}

} // namespace models
