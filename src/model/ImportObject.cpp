#include "model/ImportObject.h"

#include "render/Shader.h"
#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>

// Debian's Assimp is built with its internal checks on, and a failed one aborts the process:
// a damaged model would take the whole game down. This definition takes the place of the
// library's own; the exception it throws is caught inside Importer::ReadFile, which then
// returns no scene with this text as its error, and the game goes on without the model.
namespace Assimp {
void aiAssertViolation(const char* failedExpression, const char* file, int line)
{
    throw std::runtime_error(std::string("the importer's check failed: ") + (failedExpression ? failedExpression : "?")
                             + " (" + (file ? file : "?") + ":" + std::to_string(line) + ")");
}
} // namespace Assimp

namespace {

// Triangulate | GenSmoothNormals, and corners identical in every attribute joined into one
// vertex (the picture is the same, the vertex work a fraction); no UV flip.
constexpr unsigned IMPORT_FLAGS = aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_JoinIdenticalVertices;
// The character's animated file keeps its box in this static twin.
const char* const CHARACTER_BOX_FILE = "assets/grov.dae";
constexpr float BOX_START = 1e10f; // model units, beyond any model

void printLine(const char* text)
{
    std::cout << text << std::endl;
}

// The importer's own line says only that a read failed; this one says which file and why,
// so a player with a damaged copy knows what to replace.
void reportUnreadable(const std::string& path, const char* reason)
{
    std::string text = reason && *reason ? reason : "no scene";
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::cout << "Could not import '" << path << "': " << text << std::endl;
}

template <typename T>
GLuint uploadBuffer(GLenum target, const std::vector<T>& data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, GLsizeiptr(data.size() * sizeof(T)), data.empty() ? nullptr : data.data(), GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

} // namespace

ImportObject::ImportObject() = default;

ImportObject::ImportObject(const std::string& path)
{
    ImportObject::load(path);
}

ImportObject::~ImportObject()
{
    root.reset();
    releaseBuffers();
}

void ImportObject::releaseBuffers()
{
    for (GLuint* buffer : {&positionBuffer_, &normalBuffer_, &indexBuffer_, &texcoordBuffer_}) {
        if (*buffer)
            glDeleteBuffers(1, buffer);
        *buffer = 0;
    }
    if (vertexArray_)
        glDeleteVertexArrays(1, &vertexArray_);
    vertexArray_ = 0;
}

const aiScene* ImportObject::import(const std::string& path)
{
    const aiScene* scene = importer.ReadFile(path, IMPORT_FLAGS);
    // A scene without a root node is of no use to us either.
    if (scene && !scene->mRootNode)
        scene = nullptr;
    printLine(scene ? "AssimpLoader: ReadFile ok" : "AssimpLoader: ReadFile not ok");
    if (!scene)
        reportUnreadable(path, importer.GetErrorString());
    return scene;
}

void ImportObject::finishImport()
{
    importer.FreeScene();
    printLine("Import successful");
}

void ImportObject::load(const std::string& path)
{
    const aiScene* scene = import(path);
    if (scene) {
        glGenVertexArrays(1, &vertexArray_);
        glBindVertexArray(vertexArray_);
        const bool built = buildMeshes(*scene);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        if (built) {
            loadMaterialTextures(*scene);
            buildNodeTree(*scene);
        } else {
            releaseBuffers();
        }
    }
    finishImport();
}

bool ImportObject::buildMeshes(const aiScene& scene)
{
    entries.assign(scene.mNumMeshes, MeshEntry());
    std::uint32_t vertexTotal = 0, indexTotal = 0;
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
        const aiMesh& mesh = *scene.mMeshes[i];
        entries[i].indexCount = mesh.mNumFaces * 3;
        entries[i].baseVertex = vertexTotal;
        entries[i].baseIndex = indexTotal;
        entries[i].materialIndex = mesh.mMaterialIndex;
        vertexTotal += mesh.mNumVertices;
        indexTotal += mesh.mNumFaces * 3;
    }

    std::vector<glm::vec3> positions, normals;
    std::vector<glm::vec2> texcoords;
    std::vector<std::uint32_t> indices;
    positions.reserve(vertexTotal);
    normals.reserve(vertexTotal);
    texcoords.reserve(vertexTotal);
    indices.reserve(indexTotal);
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
        const aiMesh& mesh = *scene.mMeshes[i];
        const bool hasTexcoords = mesh.mTextureCoords[0] != nullptr && mesh.mNumVertices > 0;
        for (unsigned k = 0; k < mesh.mNumVertices; ++k) {
            const aiVector3D& p = mesh.mVertices[k];
            positions.emplace_back(p.x, p.y, p.z);
            if (mesh.mNormals) {
                const aiVector3D& n = mesh.mNormals[k];
                normals.emplace_back(n.x, n.y, n.z);
            } else {
                normals.emplace_back(0.0f, 1.0f, 0.0f);
            }
            if (hasTexcoords)
                texcoords.emplace_back(mesh.mTextureCoords[0][k].x, mesh.mTextureCoords[0][k].y);
            else
                texcoords.emplace_back(0.0f, 0.0f);
        }
        // Faces are triangles after import; points and lines left over by the importer are
        // padded with their own first index so the counts above still hold.
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            for (unsigned c = 0; c < 3; ++c)
                indices.push_back(face.mNumIndices == 0 ? 0u : face.mIndices[c < face.mNumIndices ? c : 0]);
        }
    }

    if (!computeBox(scene))
        return false;

    positionBuffer_ = uploadBuffer(GL_ARRAY_BUFFER, positions);
    normalBuffer_ = uploadBuffer(GL_ARRAY_BUFFER, normals);
    texcoordBuffer_ = uploadBuffer(GL_ARRAY_BUFFER, texcoords);
    indexBuffer_ = uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);

    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, normalBuffer_);
    glEnableVertexAttribArray(ATTRIB_NORMAL);
    glVertexAttribPointer(ATTRIB_NORMAL, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glEnableVertexAttribArray(ATTRIB_TEXCOORD);
    glVertexAttribPointer(ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    indexCount_ = int(indexTotal);
    vertexCount_ = int(vertexTotal);
    return true;
}

bool ImportObject::computeBox(const aiScene& scene)
{
    const aiScene* source = &scene;
    std::unique_ptr<Assimp::Importer> boxImporter;
    if (usesCharacterBox(scene.mRootNode->mName.C_Str())) {
        boxImporter = std::make_unique<Assimp::Importer>();
        source = boxImporter->ReadFile(CHARACTER_BOX_FILE, IMPORT_FLAGS);
        if (!source || !source->mRootNode) {
            // Without its static twin the character has no box: the load stops here.
            printLine("AssimpLoader: ReadFile not ok");
            reportUnreadable(CHARACTER_BOX_FILE, boxImporter->GetErrorString());
            return false;
        }
    }

    boxMin = glm::vec3(BOX_START);
    boxMax = glm::vec3(-BOX_START);
    std::function<void(const aiNode&, const glm::mat4&)> visit = [&](const aiNode& node, const glm::mat4& parent) {
        const glm::mat4 transform = parent * toGlm(node.mTransformation);
        for (unsigned m = 0; m < node.mNumMeshes; ++m) {
            if (node.mMeshes[m] >= source->mNumMeshes)
                continue;
            const aiMesh& mesh = *source->mMeshes[node.mMeshes[m]];
            for (unsigned k = 0; k < mesh.mNumVertices; ++k) {
                const aiVector3D& v = mesh.mVertices[k];
                const glm::vec3 p(transform * glm::vec4(v.x, v.y, v.z, 1.0f));
                boxMin = glm::min(boxMin, p);
                boxMax = glm::max(boxMax, p);
            }
        }
        for (unsigned c = 0; c < node.mNumChildren; ++c)
            visit(*node.mChildren[c], transform);
    };
    visit(*source->mRootNode, glm::mat4(1.0f));

    corners = {
        {boxMin.x, boxMin.y, boxMin.z, 1.0f}, {boxMax.x, boxMax.y, boxMax.z, 1.0f},
        {boxMax.x, boxMin.y, boxMin.z, 1.0f}, {boxMin.x, boxMax.y, boxMin.z, 1.0f},
        {boxMin.x, boxMin.y, boxMax.z, 1.0f}, {boxMin.x, boxMax.y, boxMax.z, 1.0f},
        {boxMax.x, boxMax.y, boxMin.z, 1.0f}, {boxMax.x, boxMin.y, boxMax.z, 1.0f},
    };
    if (boxImporter)
        boxImporter->FreeScene();
    return true;
}

bool ImportObject::readBox(const std::string& path, glm::vec3& lo, glm::vec3& hi)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, IMPORT_FLAGS);
    ImportObject probe; // holds no GL objects, so it needs no context either
    if (!scene || !scene->mRootNode || !probe.computeBox(*scene))
        return false;
    lo = probe.boxMin;
    hi = probe.boxMax;
    return true;
}

std::string ImportObject::texturePath(const std::string& pathInModel)
{
    const size_t slash = pathInModel.find_last_of("/\\");
    return "assets/" + (slash == std::string::npos ? pathInModel : pathInModel.substr(slash + 1));
}

bool ImportObject::usesCharacterBox(const std::string& rootName)
{
    return nameStartsWith(rootName, "grov");
}

void ImportObject::loadMaterialTextures(const aiScene& scene)
{
    material_.textureOfMaterial.assign(scene.mNumMaterials, -1);
    for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
        const aiMaterial* source = scene.mMaterials[i];
        if (aiGetMaterialTextureCount(source, aiTextureType_DIFFUSE) == 0)
            continue;
        aiString path;
        if (aiGetMaterialTexture(source, aiTextureType_DIFFUSE, 0, &path, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr)
            != AI_SUCCESS)
            continue;
        auto texture = std::make_unique<MaterialTexture>();
        texture->texture = TextureManager::instance().load(texturePath(path.C_Str()), GL_RGBA, GL_BGRA,
                                                           GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
        material_.textureOfMaterial[i] = int(material_.textures.size());
        material_.textures.push_back(std::move(texture));
    }
}

void ImportObject::buildNodeTree(const aiScene& scene)
{
    root = SceneNode::fromAssimp(*scene.mRootNode);
}

void ImportObject::update(double)
{}

glm::vec3 ImportObject::boundsMin() const
{
    return boxMin;
}

glm::vec3 ImportObject::boundsMax() const
{
    return boxMax;
}

SceneNode* ImportObject::findChild(const std::string& name) const
{
    if (!root)
        return nullptr;
    for (const auto& child : root->children)
        if (child->name == name)
            return child.get();
    return nullptr;
}

bool ImportObject::outsideFrustum(const glm::mat4& clip, const std::vector<glm::vec4>& boxCorners)
{
    int beyond[6] = {0, 0, 0, 0, 0, 0};
    for (const glm::vec4& corner : boxCorners) {
        const glm::vec4 c = clip * corner;
        beyond[0] += c.x > c.w;
        beyond[1] += c.x < -c.w;
        beyond[2] += c.y > c.w;
        beyond[3] += c.y < -c.w;
        beyond[4] += c.z > c.w;
        beyond[5] += c.z < -c.w;
    }
    for (int count : beyond)
        if (count == 8)
            return true;
    return false;
}

void ImportObject::draw(Shader* shader)
{
    // A model whose import failed has nothing to draw.
    if (!root || !shader || !vertexArray_)
        return;
    if (cullingEnabled) {
        const Shader* matrices = shader_ ? shader_ : shader;
        const glm::mat4 clip = matrices->projectionMatrix() * matrices->viewMatrix() * modelMatrix();
        if (outsideFrustum(clip, corners))
            return;
    }
    material_.upload();
    glBindVertexArray(vertexArray_);
    drawNode(shader, modelMatrix(), *root);
    glBindVertexArray(0);
}

void ImportObject::drawNode(Shader* shader, glm::mat4 parent, const SceneNode& node)
{
    // Skeleton helpers ("joint..." nodes) and everything under them are not drawn.
    if (nameStartsWith(node.name, "joint"))
        return;
    const glm::mat4 transform = parent * node.transformation;
    shader->setModelMatrix(transform);
    for (unsigned m : node.meshIndices) {
        if (m >= entries.size())
            continue;
        const MeshEntry& entry = entries[m];
        if (entry.materialIndex != NO_MATERIAL) {
            // A material without a texture binds nothing; the mesh is drawn all the same.
            if (const MaterialTexture* texture = material_.textureFor(entry.materialIndex))
                texture->bind();
        }
        glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(entry.indexCount), GL_UNSIGNED_INT,
                                 reinterpret_cast<const void*>(std::uintptr_t(entry.baseIndex) * 4u),
                                 GLint(entry.baseVertex));
    }
    for (const auto& child : node.children)
        drawNode(shader, transform, *child);
}
