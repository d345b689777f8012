#pragma once
// The whole scene: the cameras, the game rules, the landscape, Grov and the tanks, the sky,
// the HUD and the light. Built once by init, updated and drawn every frame, released at the end.

#include "game/LightCircuit.h"
#include "render/Backdrop.h"
#include "render/Framebuffer.h"
#include "render/MultisampleTarget.h"
#include "render/RenderQuality.h"
#include "render/RenderScale.h"
#include "render/Sampler.h"

#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

class BoneObject;
class GameLogic;
class GoalBook;
class GoalStore;
class GoalTracker;
class GoalView;
class MenuView;
class SoundEffect;
struct MenuPage;
class RecordTable;
class Ghost;
class GhostPath;
class MovableCamera;
class RageMeter;
class RecordStore;
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
    // Updates everything and draws both passes into the back buffer; the caller presents it.
    void frame(double gameDt, double realDt);
    void update(double gameDt, double realDt);
    // The two halves of drawing a frame: render draws both passes into the window's back
    // buffer, finishFrame keeps its view for the next frame's motion blur. Rendering again in
    // between draws the same pose (the benchmark compares qualities so).
    void render(double realDt);
    void finishFrame();
    void onResize(int width, int height);
    void setFps(double fps);
    float nominalRate() const { return nominalFrameRate; }
    // The throw action, for scripts that play without the controls.
    void onThrow();
    void release();

    // Shows text in the HUD's message line for a little over three seconds.
    void showMessage(const std::string& text);
    Tank* createTank(Shader* program);

    // The render toggles and pausing.
    void setPaused(bool paused);
    bool isPaused() const { return paused; }
    // A switch changed: "toggle <traceName> <state>" in the trace and, for switches the
    // player sees no other sign of, "<label> <state>" in the message line (no label, no message).
    void announceToggle(const char* traceName, const char* label, const char* state);
    void setWireframe(bool wireframe);
    void toggleWireframe();
    void toggleSampling();
    void cycleMipmapMode();
    void applyTextureFilters();
    void setTransparencyEnabled(bool enabled);
    void setCullingEnabled(bool enabled);
    void toggleFpsText();
    void setFpsTextShown(bool shown);

    // Picture against speed (WorldQuality.cpp). The default is AUTO.
    void setQuality(RenderQuality quality);
    RenderQuality quality() const { return quality_; }
    // The wall time the last frame took, from which AUTO scales the scene.
    void noteFrameTime(double seconds);
    // Holds AUTO's scene at one scale (tests, the benchmark); a negative scale lets it adapt.
    void pinRenderScale(double scale);
    // The share of the window's width and height the next frame's scene is drawn at.
    double renderScaleNow() const;

    // Records and the ghost of the best throw (WorldRecords.cpp). Until openRecords names the
    // player's folder, the records last for this run only.
    void openRecords(const std::string& directory);
    void setGhostVisible(bool visible);
    bool isGhostVisible() const;
    // G: shows or hides the ghost, with a message.
    void toggleGhost();

    // Goals (WorldGoals.cpp), kept beside the records from openRecords on.
    const GoalBook& goalBook() const;

    // The menu over the game (WorldMenu.cpp). While it is open, nothing in the game moves.
    void setMenuOpen(bool open);
    bool isMenuOpen() const { return menuOpen; }
    // Draws the page over the HUD from the next frame on, the scene dimmed behind it when dim
    // says so, until hideOverlay.
    void showOverlay(const MenuPage& page, bool dim);
    void hideOverlay();
    const RecordTable& recordTable() const;
    bool isFpsTextShown() const;

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
    // AUTO's scene target, single-sampled and scaled; in use when sceneOffscreen says so.
    const Framebuffer& sceneTargetNow() const { return sceneTarget; }
    bool sceneOffscreen() const { return lastTarget == &sceneTarget; }
    // The ground and sky AUTO keeps while the view stands still.
    const Backdrop& backdropNow() const { return backdrop; }
    bool softwareRendering() const { return softwareRenderer; }
    // Whether the last frame was drawn through the multisampled stand-in for the window.
    bool frameMultisampledOffWindow() const { return throughFrameTarget; }
    Terrain* terrainNow() const { return terrain; }
    int samplingModeNow() const { return samplingMode; }
    int mipmapModeNow() const { return mipmapMode; }
    const std::vector<SceneObject*>& sceneObjects() const { return objects3D; }
    const std::vector<SceneObject*>& hudList() const { return hudObjects; }

private:
    static constexpr float nominalFrameRate = 60.0f; // frames per second
    static constexpr float messageSeconds = 3.0f;    // how long a toggle's message stays
    static constexpr int blurSampleCount = 32;
    static constexpr int wheelUnit = 1; // texture units of the power wheel's two images
    static constexpr int arrowUnit = 2;
    int wheelImageHeight = 0; // their images' top levels, in texels
    int arrowImageHeight = 0;

    void buildScene();
    void buildCameras();
    void build3DObjects();
    void buildHud();
    void wireGameLogic();
    // Brings the HUD in line with the rules' state, once a frame (WorldHud.cpp).
    void showRules();
    Sprite* addSprite(const std::string& image, int unit, const glm::vec3& position, const glm::vec3& scale);
    Text2D* addText(const std::string& text, const glm::vec3& position, const glm::vec3& scale, int alignment);
    void drawList(const std::vector<SceneObject*>& objects, const glm::mat4& projection, MovableCamera* camera);
    // AUTO's own sampler for an object's texture and the unit it goes on; none for the rest.
    Sampler* samplerFor(const SceneObject* object, int& unit);
    void drawObject(SceneObject* object, const glm::mat4& projection, MovableCamera* camera);
    void buildStandingLine();
    // After the game logic and the objects have moved: records the flight, moves the ghost on
    // and, when a throw has just ended, enters it in the records.
    void followThrow(int stateBefore, double gameDt);
    void endThrow();
    void drawGhost(const glm::mat4& projection, MovableCamera* camera);
    void buildGoals();
    // After the throw's records: the goals this frame reached, their toasts, the totals.
    void followGoals();
    // The menu or the card, and the message line again over them, just above the panel.
    void drawOverlay(MovableCamera* camera);
    // Where this frame's 3D pass goes: AUTO's scaled target, the blur's, or the window (null).
    Framebuffer* sceneTargetFor(bool blur);
    // Whether this frame is drawn into frameTarget: the picture wants multisampling that the
    // window has not got.
    bool needsFrameTarget() const;
    // The window, or the frame target standing in for it.
    void bindFrame();
    // Draws the motion blur into blurTarget at the scaled scene's size and points the quad at it.
    void blurAtSceneSize(MovableCamera* camera);
    // AUTO's scene into its scaled target: the ground and the sky through the backdrop, then
    // everything that moves.
    void drawThroughBackdrop(MovableCamera* camera);

    glm::mat4 projection{1.0f};
    glm::mat4 hudProjectionMatrix{1.0f};
    glm::mat4 previousViewProjection{1.0f};
    glm::mat4 renderedViewProjection{1.0f};
    std::unique_ptr<MovableCamera> freeCamera;
    std::unique_ptr<MovableCamera> gameCamera;
    MovableCamera* activeCamera = nullptr; // the terrain and the sky follow this field
    std::unique_ptr<GameLogic> gameLogic;
    Framebuffer offscreenTarget;
    Framebuffer sceneTarget;
    Framebuffer* lastTarget = nullptr;
    Framebuffer blurTarget;                           // AUTO's streaked scene, at the scene's scale
    Backdrop backdrop;                                // AUTO's still ground and sky
    SceneObject* sky = nullptr;                       // in objects3D
    Sampler texelSampler = Sampler::texels();         // how the streak reads the scaled scene
    Sampler spriteSampler = Sampler::oneMipmap();     // how AUTO reads the power wheel
    Sampler pictureSampler = Sampler::wholePicture(); // how AUTO's scene is copied to the window
    Sampler groundSampler = Sampler::oneMipmap();     // how AUTO's ground reads its packed map
    MultisampleTarget frameTarget;
    bool throughFrameTarget = false;
    bool windowMultisampled = false;
    RenderQuality quality_ = RenderQuality::Auto;
    RenderScale renderScale;
    double pinnedScale = -1.0;
    bool frameTimeNoted = false; // AUTO has judged a frame since the start
    double tracedScale = 1.0;
    bool softwareRenderer = false;
    int windowWidth = Framebuffer::DEFAULT_WIDTH;
    int windowHeight = Framebuffer::DEFAULT_HEIGHT;
    std::vector<SceneObject*> objects3D;  // owned, drawn in order
    std::vector<SceneObject*> hudObjects; // owned, drawn in order over the scene
    LightCircuit lightCircuit;
    LightState lightState;
    std::unique_ptr<RecordStore> records;
    std::unique_ptr<GhostPath> flightPath; // this flight's, while it is flown
    std::unique_ptr<Ghost> ghost;
    // Drawn after the HUD list, which keeps the game's fixed set of objects.
    std::unique_ptr<Text2D> standingLine;
    std::unique_ptr<MenuView> menuView;
    std::unique_ptr<GoalStore> goalStore;
    std::unique_ptr<GoalTracker> goalTracker;
    std::unique_ptr<GoalView> goalView;
    SoundEffect* goalSound = nullptr; // owned by the sound system
    bool throwBeatGhost = false;      // the throw that just ended set a record over the ghost
    bool menuOpen = false;
    bool overlayShown = false;
    float overlayTop = 0.0f; // HUD units: the top of the panel shown
    ShaderCache* shaderCache = nullptr;

    // Programs, in the order they are built.
    Shader* terrainProgram = nullptr;
    Shader* terrainLodProgram = nullptr; // AUTO's nearest level
    Shader* terrainFarProgram = nullptr; // AUTO's levels beyond
    Shader* skyProgram = nullptr;
    Shader* tankProgram = nullptr;
    Shader* grovProgram = nullptr;
    Shader* grovBlendedProgram = nullptr; // Grov with his vertices blended on the processor
    Shader* hudProgram = nullptr;
    Shader* rageProgram = nullptr;
    Shader* blurProgram = nullptr;
    Shader* copyProgram = nullptr; // the off-screen scene into the window as it is

    // Borrowed views of list members.
    Terrain* terrain = nullptr;
    SceneInMotion* motionBlurQuad = nullptr;
    Text2D* fpsText = nullptr;
    Text2D* messageText = nullptr;
    Text2D* pausedText = nullptr;
    Sprite* moonSprite = nullptr;
    Sprite* sunSprite = nullptr;
    SceneObject* grov = nullptr;
    BoneObject* character = nullptr; // Grov as the skinned model he is
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
    bool paused = false;
    bool wireframe = false;
    int samplingMode = 1;
    int mipmapMode = 2;
};
