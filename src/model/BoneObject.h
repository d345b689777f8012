#pragma once
// The skinned, animated model (Grov): four bone influences per vertex, a bone table keyed by
// name, the file's clips, and an update that poses the skeleton. Drawing sends one skinning
// matrix per bone to "bones[n]" for the vertex program to blend with, or blends the vertices
// here first (setSkinOnProcessor), then draws as an ImportObject.

#include "model/Animation.h"
#include "model/ImportObject.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The size of the bone array in "shader/vertexSkinning.vert"; bones from here on are
// neither uploaded nor read by the shader.
constexpr int MAX_SHADER_BONES = 64;

// Seconds of animation played so far by every skinned model together; never reset.
extern double animationClock;

struct BoneInfo {
    glm::mat4 offset{1.0f}; // model space to the bone's space in the bind pose
    int index = 0;          // element of the bone uniform array
};

// One vertex's influences, as laid out in the bone buffer (32 bytes).
struct VertexBoneData {
    std::int32_t ids[4] = {0, 0, 0, 0};
    float weights[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    // Takes the first free slot (weight exactly 0); a fifth influence is dropped.
    void add(int id, float weight);
};
static_assert(sizeof(VertexBoneData) == 32, "the bone buffer's stride is 32 bytes");

class BoneObject : public ImportObject {
public:
    explicit BoneObject(const std::string& path);
    ~BoneObject() override;

    // Poses the skeleton for clip 0 after advancing the animation clock by dt seconds.
    void update(double dt) override;
    void load(const std::string& path) override;
    void draw(Shader* shader) override;

    // Blends the vertices by the pose on the processor at every draw, for a program without
    // bones, instead of sending the bones to the vertex program. A software renderer's vertex
    // program pays several times this loop's cost for its bone look-ups.
    void setSkinOnProcessor(bool enabled) { skinOnProcessor = enabled; }

    // A twin of this model with fewer triangles: the same skeleton (bones matched by name), its
    // own meshes. While low poly is on, drawing draws the twin in this model's place, pose and
    // light. A twin that cannot be imported, or whose bones this model lacks, is not kept: the
    // model is then drawn in full, as ever.
    void loadLowPolyTwin(const std::string& path);
    bool hasLowPolyTwin() const { return twin != nullptr; }
    void setLowPoly(bool enabled) { lowPoly = enabled; }

    void animate(double dt, int clip);
    // Poses the skeleton for clip 0 as it stood at clockSeconds of the animation clock, like
    // update without moving the clock: the ghost of the best throw is this model drawn a
    // second time in a pose of its own, which is then put back.
    void poseAt(double clockSeconds);
    void poseNode(double time, int clip, const SceneNode& node, const glm::mat4& parent);

    const std::map<std::string, BoneInfo>& boneTable() const { return bones; }
    const std::vector<std::unique_ptr<Animation>>& animations() const { return clips; }
    double ticksPerSecond() const { return ticksPerSecond_; }
    // Influences per vertex as uploaded (kept for inspection).
    const std::vector<VertexBoneData>& vertexBones() const { return vertexBones_; }
    // The skinning matrices of the last pose, by bone index.
    const std::vector<glm::mat4>& boneMatrices() const { return boneMatrices_; }

    // Where in the clip (ticks) the clock stands; 0 for a clip without length.
    static double clipTime(double clockSeconds, double ticksPerSecond, double duration);

private:
    void buildBones(const aiScene& scene);
    void loadAnimations(const aiScene& scene);
    void poseClip(double clockSeconds, int clip);
    // Blends the bind pose's positions and normals by the bone matrices, as the vertex program
    // does, into the buffers the vertex array then reads.
    void skinVertices();
    void readBindPose();
    void releaseSkinning();
    // Takes the model's place, light and pose; modelBoneOf gives its bone for each of ours.
    void takePoseOf(const BoneObject& model, const std::vector<int>& modelBoneOf);

    std::map<std::string, BoneInfo> bones;
    std::vector<std::unique_ptr<Animation>> clips;
    GLuint boneBuffer = 0;
    double ticksPerSecond_ = 0.0;
    std::vector<VertexBoneData> vertexBones_;
    std::vector<glm::mat4> boneMatrices_;
    bool skinOnProcessor = false;
    std::vector<glm::vec3> bindPositions, bindNormals; // read back from GL at the first blend
    std::vector<glm::vec3> skinnedPositions, skinnedNormals;
    GLuint skinnedPositionBuffer = 0;
    GLuint skinnedNormalBuffer = 0;
    std::unique_ptr<BoneObject> twin;
    std::vector<int> twinBones; // the twin's bone index -> ours
    bool lowPoly = false;
};
