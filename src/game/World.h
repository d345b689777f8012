#pragma once
// The whole scene: the cameras, the game rules, the landscape, Grov and the tanks, the sky,
// the HUD and the light. Built once by init, updated and drawn every frame, released at the end.

#include "game/LightCircuit.h"
#include "render/Framebuffer.h"

#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

class GameLogic;
class MovableCamera;
class RageMeter;
class SceneInMotion;
class SceneObject;
class Shader;
class ShaderCache;
class Sprite;
class Tank;
class Terrain;
class Text2D;

class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Builds the scene; the cache stays owned by the caller.
    void init(ShaderCache* shaderCache);
    // Updates everything, draws both passes and presents the frame.
    void frame(double gameDt, double realDt);
    void update(double gameDt, double realDt);
    void onResize(int width, int height);
    void setFps(double fps);
    float nominalRate() const { return nominalFrameRate; }
    void onSpace();
    void release();

    // Shows text in the HUD's message line for a little over three seconds.
    void showMessage(const std::string& text);
    Tank* createTank(Shader* program);

    // The render toggles of the function keys and the pause key.
    void setPaused(bool paused);
    bool isPaused() const;
    void setWireframe(bool wireframe);
    bool isWireframe() const { return wireframe; }
    void toggleSampling();
    void cycleMipmapMode();
    void applyTextureFilters();
    void setTransparencyEnabled(bool enabled);
    void setCullingEnabled(bool enabled);
    void toggleFpsText();

    // For tests and the benchmark tool.
    MovableCamera* activeCameraNow() const { return activeCamera; }
    MovableCamera* gameCameraNow() const { return gameCamera.get(); }
    GameLogic* gameLogicNow() const { return gameLogic.get(); }
    Text2D* messageLine() const { return messageText; }
    Text2D* fpsLine() const { return fpsText; }
    Sprite* sunIcon() const { return sunSprite; }
    Sprite* moonIcon() const { return moonSprite; }
    const LightState& light() const { return lightState; }
    const glm::mat4& hudProjectionNow() const { return hudProjectionMatrix; }
    const glm::mat4& projectionNow() const { return projection; }
    const Framebuffer& target() const { return offscreenTarget; }
    Terrain* terrainNow() const { return terrain; }
    int samplingModeNow() const { return samplingMode; }
    int mipmapModeNow() const { return mipmapMode; }
    const std::vector<SceneObject*>& sceneObjects() const { return objects3D; }
    const std::vector<SceneObject*>& hudList() const { return hudObjects; }

private:
    static constexpr float nominalFrameRate = 60.0f; // frames per second
    static constexpr float messageSeconds = 3.0f;    // how long a toggle's message stays
    static constexpr int blurSampleCount = 32;

    void buildScene();
    void buildCameras();
    void build3DObjects();
    void buildHud();
    void wireGameLogic();
    Sprite* addSprite(const std::string& image, int unit, const glm::vec3& position, const glm::vec3& scale);
    Text2D* addText(const std::string& text, const glm::vec3& position, const glm::vec3& scale, int alignment);
    void drawList(const std::vector<SceneObject*>& objects, const glm::mat4& projection, MovableCamera* camera);
    void drawObject(SceneObject* object, const glm::mat4& projection, MovableCamera* camera);

    glm::mat4 projection{1.0f};
    glm::mat4 hudProjectionMatrix{1.0f};
    glm::mat4 previousViewProjection{1.0f};
    std::unique_ptr<MovableCamera> freeCamera;
    std::unique_ptr<MovableCamera> gameCamera;
    MovableCamera* activeCamera = nullptr; // the terrain and the sky follow this field
    std::unique_ptr<GameLogic> gameLogic;
    Framebuffer offscreenTarget;
    std::vector<SceneObject*> objects3D;  // owned, drawn in order
    std::vector<SceneObject*> hudObjects; // owned, drawn in order over the scene
    LightCircuit lightCircuit;
    LightState lightState;
    ShaderCache* shaderCache = nullptr;

    // Programs, in the order they are built.
    Shader* terrainProgram = nullptr;
    Shader* skyProgram = nullptr;
    Shader* tankProgram = nullptr;
    Shader* grovProgram = nullptr;
    Shader* hudProgram = nullptr;
    Shader* rageProgram = nullptr;
    Shader* blurProgram = nullptr;

    // Borrowed views of list members.
    Terrain* terrain = nullptr;
    SceneInMotion* motionBlurQuad = nullptr;
    Text2D* fpsText = nullptr;
    Text2D* messageText = nullptr;
    Text2D* pausedText = nullptr;
    Sprite* moonSprite = nullptr;
    Sprite* sunSprite = nullptr;
    SceneObject* grov = nullptr;
    Tank* tankA = nullptr;
    Tank* tankB = nullptr;
    Text2D* distanceText = nullptr;
    Text2D* gameOverText = nullptr;
    Text2D* resultText = nullptr;
    Text2D* retryText = nullptr;
    Sprite* wheel = nullptr;
    Sprite* arrow = nullptr;
    RageMeter* rageMeter = nullptr;
    Sprite* altitudeWarning = nullptr;

    float messageTime = 0.0f; // clock seconds when the message was last shown
    bool wireframe = false;
    int samplingMode = 1;
    int mipmapMode = 2;
};
