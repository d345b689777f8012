#include "game/World.h"

#include "core/Clock.h"
#include "core/Trace.h"
#include "game/GameLogic.h"
#include "game/Ghost.h"
#include "game/GhostPath.h"
#include "game/GoalStore.h"
#include "game/GoalTracker.h"
#include "game/GoalView.h"
#include "game/MenuView.h"
#include "game/RageMeter.h"
#include "game/RecordStore.h"
#include "game/ViewMath.h"
#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/MovableCamera.h"
#include "render/SceneInMotion.h"
#include "render/Screen.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"
#include "render/Skybox.h"
#include "render/Sprite.h"
#include "render/Terrain.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int terrainCells = 800;
const glm::vec3 terrainScale(5.0f, 30.0f, 5.0f);
const glm::vec3 terrainPosition(10.0f, 0.0f, 0.0f);
constexpr float grovCameraHeight = 12.0f; // the game camera's eye above Grov's feet
const glm::vec3 tankAStart(-60.0f, 0.0f, -200.0f);
const glm::vec3 tankBStart(20.0f, 0.0f, -50.0f);
const glm::vec3 spareTankStart(0.0f, 0.0f, 100.0f);
constexpr int spareTanks = 6;
// Texels kept around the visible part of a HUD image: what the filters spread from its edge,
// down to a 512-texel image drawn 128 pixels across (a window 256 pixels high).
constexpr int VISIBLE_PART_PADDING = 8;
// Scene pixels Grov stands tall below which his low-poly twin is drawn: its facets then stray
// from the round shapes by less than a pixel.
constexpr double LOW_POLY_GROV_PIXELS = 160.0;

void setGrovMaterial(Material& material)
{
    material.diffusePower = 1.3f;
    material.specularPower = 0.8f;
    material.ambientPower = 0.2f;
    material.specularReflectionExponent = 10.0f;
}

void setTankMaterial(Material& material)
{
    material.diffusePower = 0.7f;
    material.specularPower = 1.8f;
    material.ambientPower = 0.1f;
    material.specularReflectionExponent = 8.0f;
}

GLuint loadHudImage(const std::string& path)
{
    return TextureManager::instance().load(path, GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT,
                                           GL_REPEAT);
}

} // namespace

World::World()
    : records(std::make_unique<RecordStore>()), flightPath(std::make_unique<GhostPath>()),
      ghost(std::make_unique<Ghost>()), goalStore(std::make_unique<GoalStore>()),
      goalTracker(std::make_unique<GoalTracker>())
{}

World::~World()
{
    release();
}

void World::init(ShaderCache* cache)
{
    shaderCache = cache;
    setClearColour(0.0f, 0.0f, 0.0f, 0.0f);
    setDepthTest(true);
    setFaceCulling(true);
    offscreenTarget.create();
    // Created when AUTO first needs it, which on a GPU that keeps up is never.
    sceneTarget.setColourFilter(GL_LINEAR);
    blurTarget.setColourFilter(GL_LINEAR);
    softwareRenderer = currentContextIsSoftware();
    windowMultisampled = drawTargetSamples() > 0;
    // No processor draws the whole window in time: start small and grow into any room there is,
    // rather than open on a run of slow frames.
    if (softwareRenderer)
        renderScale.reset(renderScale.floor());

    buildScene();

    setWireframe(false);
    fpsText->setVisible(false);
    setPaused(false);
    setTransparencyEnabled(true);
    setCullingEnabled(true);
    mipmapMode = 2;
    samplingMode = 1;
    // The start-up messages stay until the clock first passes three seconds.
    messageTime = 0.0f;
    showRules();
}

void World::buildScene()
{
    terrainProgram = shaderCache->get("shader/heightmap.vert", "shader/heightmapBlinnPhongTexture.frag");
    terrainLodProgram = shaderCache->get("shader/heightmap.vert", "shader/heightmapLod.frag");
    terrainFarProgram = shaderCache->get("shader/heightmap.vert", "shader/heightmapFar.frag");
    skyProgram = shaderCache->get("shader/standard.vert", "shader/texture.frag");
    tankProgram = shaderCache->get("shader/BlinnPhongTexture.vert", "shader/BlinnPhongTexture.frag");
    grovProgram = shaderCache->get("shader/vertexSkinning.vert", "shader/BlinnPhongTexture.frag");
    grovBlendedProgram = shaderCache->get("shader/BlinnPhongTexture.vert", "shader/BlinnPhongTexture.frag");
    hudProgram = shaderCache->get("shader/simple.vert", "shader/texture.frag");
    rageProgram = shaderCache->get("shader/simple.vert", "shader/textureWithColor.frag");
    blurProgram = shaderCache->get("shader/fullscreen.vert", "shader/motionblur.frag");
    copyProgram = shaderCache->get("shader/fullscreen.vert", "shader/texture.frag");

    buildCameras();
    projection = sceneProjection(4, 3);
    hudProjectionMatrix = glm::ortho(0.0f, 1024.0f, 0.0f, 768.0f);
    lightCircuit = LightCircuit();
    lightState = {lightCircuit.base(), false, false};

    build3DObjects();
    terrain->setLightPosition(lightState.position);
    buildHud();
    wireGameLogic();
}

void World::buildCameras()
{
    gameCamera = std::make_unique<MovableCamera>(glm::vec3(0.0f, 15.0f, 15.0f), glm::vec3(0.0f, 0.0f, -28.0f),
                                                 glm::vec3(0.0f, 1.0f, 0.0f), 0.00045f, 20.0f);
    gameCamera->setControls(false, false);
    gameCamera->setLimits(135.0f, 225.0f, -45.0f, 45.0f);
    freeCamera = std::make_unique<MovableCamera>(glm::vec3(0.0f, 10.0f, 10.0f), glm::vec3(0.0f, 0.0f, -10.0f),
                                                 glm::vec3(0.0f, 1.0f, 0.0f), 0.00045f, 60.0f);
    activeCamera = gameCamera.get();
}

void World::build3DObjects()
{
    terrain = new Terrain();
    terrain->generate(terrainCells, terrainCells);
    terrain->setShader(terrainProgram);
    // AUTO's cheaper shading comes only as a whole: without its near program, none.
    if (terrainLodProgram == shaderCache->defaultShader())
        terrainLodProgram = terrainProgram;
    else if (terrainFarProgram != shaderCache->defaultShader())
        terrain->setFarShader(terrainFarProgram);
    terrain->setScale(terrainScale);
    terrain->setPosition(terrainPosition);
    terrain->setCamera(&activeCamera);
    objects3D.push_back(terrain);

    character = new BoneObject("assets/grov_anim.dae");
    character->loadLowPolyTwin("assets/grov_anim_low.dae");
    character->setShader(grovProgram);
    setGrovMaterial(character->material());
    character->setPosition(glm::vec3(0.0f));
    terrain->placeOnGround(*character);
    objects3D.push_back(character);
    grov = character;

    // Lift the game camera to Grov's height, keeping its viewing direction.
    float lift = grov->position().y + grovCameraHeight - gameCamera->eye().y;
    glm::vec3 eye = gameCamera->eye() + glm::vec3(0.0f, lift, 0.0f);
    glm::vec3 center = gameCamera->center() + glm::vec3(0.0f, lift, 0.0f);
    gameCamera->lookAt(eye, center, gameCamera->up());

    tankA = createTank(tankProgram);
    tankA->setPosition(tankAStart);
    terrain->placeOnTop(*tankA);
    tankB = createTank(tankProgram);
    tankB->setPosition(tankBStart);
    terrain->placeOnTop(*tankB);

    auto* skybox = new Skybox();
    sky = skybox;
    skybox->setup(&activeCamera, "res/skybox2/front.jpg", "res/skybox2/back.jpg", "res/skybox2/left.jpg",
                  "res/skybox2/right.jpg", "res/skybox2/top.jpg", "res/skybox2/bottom.jpg");
    skybox->setShader(skyProgram);
    objects3D.push_back(skybox);
}

Tank* World::createTank(Shader* program)
{
    auto* tank = new Tank("assets/tank.dae");
    tank->setShader(program);
    tank->setTransparent(true);
    tank->setPosition(spareTankStart);
    setTankMaterial(tank->material());
    objects3D.push_back(tank);
    return tank;
}

Sprite* World::addSprite(const std::string& image, int unit, const glm::vec3& position, const glm::vec3& scale)
{
    auto* sprite = new Sprite();
    sprite->setTransparent(true);
    sprite->setTexture(static_cast<int>(loadHudImage(image)), unit);
    sprite->setShader(hudProgram);
    sprite->setPosition(position);
    sprite->setScale(scale);
    hudObjects.push_back(sprite);
    return sprite;
}

Text2D* World::addText(const std::string& text, const glm::vec3& position, const glm::vec3& scale, int alignment)
{
    auto* line = new Text2D();
    line->setText(text);
    line->setShader(hudProgram);
    line->setPosition(position);
    line->setScale(scale);
    line->setAlignment(alignment);
    hudObjects.push_back(line);
    return line;
}

void World::buildHud()
{
    motionBlurQuad = new SceneInMotion();
    motionBlurQuad->setTexture(static_cast<int>(offscreenTarget.colorTexture()), 1);
    motionBlurQuad->setDepthTexture(static_cast<int>(offscreenTarget.depthTexture()), 2);
    motionBlurQuad->setShader(blurProgram);
    hudObjects.push_back(motionBlurQuad);

    fpsText = addText("FPS: 00.00", {0.0f, -0.85f, 0.0f}, {0.4f, 0.08f, 0.0f}, Text2D::ALIGN_CENTER);
    messageText = addText("Message", {0.0f, -0.75f, 0.0f}, {0.6f, 0.08f, 0.0f}, Text2D::ALIGN_CENTER);
    messageText->setVisible(false);
    pausedText = addText("[PAUSED]", {1.0f, -1.0f, 0.0f}, {0.4f, 0.08f, 0.0f}, Text2D::ALIGN_RIGHT);
    distanceText = addText("10,000.00 m", {0.0f, 0.9f, 0.0f}, {0.5f, 0.1f, 0.0f}, Text2D::ALIGN_CENTER);
    distanceText->setVisible(false);
    gameOverText = addText("GAME OVER", {0.0f, 0.4f, 0.0f}, {1.5f, 0.28f, 0.0f}, Text2D::ALIGN_CENTER);
    gameOverText->setVisible(false);
    resultText = addText("You've reached XXXXX.xx m", {0.0f, 0.2f, 0.0f}, {1.3f, 0.1f, 0.0f}, Text2D::ALIGN_CENTER);
    resultText->setVisible(false);
    retryText = addText("Press SPACE to try again", {0.0f, 0.0f, 0.0f}, {0.9f, 0.08f, 0.0f}, Text2D::ALIGN_CENTER);
    retryText->setVisible(false);

    moonSprite = addSprite("res/moon.png", 1, {-1.25f, -0.9f, 0.0f}, {0.07f, 0.07f, 0.0f});
    moonSprite->setVisible(false);
    sunSprite = addSprite("res/sun.png", 1, {-1.25f, -0.9f, 0.0f}, {0.05f, 0.05f, 0.0f});
    sunSprite->setVisible(false);
    wheel = addSprite("res/wheel.png", wheelUnit, {0.0f, 0.5f, 0.0f}, {0.5f, 0.5f, 0.0f});
    wheel->setTransparency(0.8f);
    arrow = addSprite("res/arrow.png", arrowUnit, {0.0f, 0.5f, 0.0f}, {0.5f, 0.5f, 0.0f});
    arrow->setTransparency(0.5f);
    arrow->setRotationAxis(glm::vec3(0.0f, 0.0f, 1.0f));
    // The wheel is round, and the arrow fills a seventh of its image.
    wheel->findVisiblePart(VISIBLE_PART_PADDING);
    arrow->findVisiblePart(VISIBLE_PART_PADDING);
    const auto imageHeight = [](const Sprite& sprite) {
        int width = 0, height = 0;
        TextureManager::topLevelSize(GLuint(std::max(sprite.texture(), 0)), width, height);
        return height;
    };
    wheelImageHeight = imageHeight(*wheel);
    arrowImageHeight = imageHeight(*arrow);

    rageMeter = new RageMeter();
    rageMeter->setTextures("res/rageometer1.png", "res/rageometer2.png");
    rageMeter->findVisibleParts(VISIBLE_PART_PADDING);
    rageMeter->setShader(rageProgram);
    rageMeter->setPosition(glm::vec3(0.9f, 0.82f, 0.0f));
    rageMeter->setScale(glm::vec3(0.4f, 0.4f, 0.0f));
    rageMeter->setValue(1.0f);
    rageMeter->setVisible(false);
    hudObjects.push_back(rageMeter);

    altitudeWarning = addSprite("res/altitudewarning.png", 1, {0.0f, 0.75f, 0.0f}, {0.4f, 0.4f, 0.0f});
    altitudeWarning->setVisible(false);
    altitudeWarning->findVisiblePart(VISIBLE_PART_PADDING);

    buildStandingLine();
    menuView = std::make_unique<MenuView>();
    menuView->build(hudProgram);
    buildGoals();
}

void World::wireGameLogic()
{
    gameLogic = std::make_unique<GameLogic>();
    gameLogic->setCamera(gameCamera.get());
    gameLogic->setGrov(grov);
    gameLogic->setTerrain(terrain);
    gameLogic->addTank(tankA);
    gameLogic->addTank(tankB);
    for (int spare = 0; spare < spareTanks; ++spare)
        gameLogic->addTank(createTank(tankProgram));
    gameLogic->init();
}

void World::update(double gameDt, double realDt)
{
    if (messageText->isVisible() && static_cast<float>(clockNow()) - messageTime > messageSeconds)
        messageText->setVisible(false);
    // Under the menu the game stands still: the rules, the cameras, the tanks and the light.
    if (menuOpen) {
        showRules();
        return;
    }
    if (isPaused())
        freeCamera->update(realDt);
    gameCamera->update(realDt);
    const int stateBefore = gameLogic->state();
    gameLogic->update(gameDt);
    // Aiming, the wind-up, the flight and the score each cost their own: AUTO's scale picks up
    // where the state last left it, every throw.
    renderScale.enterScene(gameLogic->state());
    showRules();
    for (SceneObject* object : objects3D)
        object->update(gameDt);
    for (SceneObject* object : hudObjects)
        object->update(gameDt);
    followThrow(stateBefore, gameDt);
    followGoals();

    lightState = lightCircuit.advance(activeCamera->eye(), realDt);
    terrain->setLightPosition(lightState.position);
    sunSprite->setVisible(lightState.sunVisible);
    moonSprite->setVisible(lightState.moonVisible);
}

void World::frame(double gameDt, double realDt)
{
    update(gameDt, realDt);
    render(realDt);
    finishFrame();
}

void World::render(double realDt)
{
    throughFrameTarget = needsFrameTarget();
    if (throughFrameTarget)
        frameTarget.prepare(windowWidth, windowHeight);
    MovableCamera* camera = activeCamera;
    bool blur = gameLogic->wantsMotionBlur();
    terrain->setLevelOfDetail(quality_ == RenderQuality::Auto);
    // The finest cells only as far out as the scene's resolution can show them.
    terrain->setNearReach(renderScaleNow());
    // The power wheel, its arrow, the rage gauge and the altitude warning are images with
    // empty parts: AUTO blends only the part of each that shows.
    const bool visiblePartsOnly = quality_ == RenderQuality::Auto;
    for (Sprite* sprite : {wheel, arrow, altitudeWarning})
        if (sprite)
            sprite->setVisiblePartOnly(visiblePartsOnly);
    if (rageMeter)
        rageMeter->setVisiblePartOnly(visiblePartsOnly);
    terrain->setShader(quality_ == RenderQuality::Auto ? terrainLodProgram : terrainProgram);
    // A software renderer's vertex program pays far more for Grov's bone look-ups than the
    // processor does blending his vertices itself.
    if (character) {
        const bool blendHere = quality_ == RenderQuality::Auto && softwareRenderer && grovBlendedProgram;
        character->setSkinOnProcessor(blendHere);
        character->setShader(blendHere ? grovBlendedProgram : grovProgram);
        // Drawn small, most of his triangles are narrower than a pixel, and that renderer sets
        // up every one: the low-poly twin then, while its facets stay within a pixel of his
        // round shapes.
        const auto scenePixels = [&] {
            const glm::mat4 clip = projection * camera->viewMatrix() * character->modelMatrix();
            return drawnHeightShare(clip, character->boxCorners()) * windowHeight * renderScaleNow();
        };
        character->setLowPoly(blendHere && scenePixels() < LOW_POLY_GROV_PIXELS);
    }
    Framebuffer* target = sceneTargetFor(blur);
    bindFrame();
    // AUTO's off-screen scene reaches every window pixel through the quad: clearing them
    // first would only be a pass over the whole window for nothing.
    if (!target || quality_ == RenderQuality::Full)
        clearScreen(0.0f, 0.0f, 0.0f, 1.0f);
    if (target == &sceneTarget) {
        drawThroughBackdrop(camera);
    } else {
        if (target) {
            target->bind();
            clearScreen(0.0f, 0.0f, 0.0f, 1.0f);
        }
        drawList(objects3D, projection, camera);
    }
    drawGhost(projection, camera);
    if (target) {
        bindFrame();
        setViewport(windowWidth, windowHeight);
    }

    // The quad shows the off-screen scene in the window, blurred or as it is, scaled up to the
    // window either way.
    glm::mat4 viewProjection = projection * camera->viewMatrix();
    if (target) {
        motionBlurQuad->setTexture(static_cast<int>(target->colorTexture()), 1);
        motionBlurQuad->setDepthTexture(static_cast<int>(target->depthTexture()), 2);
    }
    motionBlurQuad->setViewProjectionInverse(glm::inverse(viewProjection));
    motionBlurQuad->setViewProjectionPrevious(previousViewProjection);
    motionBlurQuad->setBlurSamples(blurSampleCount);
    motionBlurQuad->setBlurScale(blurScaleFor(nominalFrameRate, realDt));
    motionBlurQuad->setVisible(target != nullptr);
    // Without blur, one texture read per pixel: the blur's own program would also work out
    // every pixel's motion only to find it needs no streak.
    motionBlurQuad->setShader(blur ? blurProgram : copyProgram);
    if (blur && target == &sceneTarget && renderScaleNow() < 1.0)
        blurAtSceneSize(camera);

    // The HUD always draws filled, over everything.
    setDepthTest(false);
    bool wasWireframe = wireframe;
    setWireframe(false);
    drawList(hudObjects, hudProjectionMatrix, camera);
    if (standingLine)
        drawObject(standingLine.get(), hudProjectionMatrix, camera);
    if (goalView)
        goalView->draw([&](SceneObject& part) { drawObject(&part, hudProjectionMatrix, camera); });
    if (overlayShown)
        drawOverlay(camera);
    setWireframe(wasWireframe);
    setDepthTest(true);
    renderedViewProjection = viewProjection;
    if (throughFrameTarget)
        frameTarget.resolveToWindow();
}

void World::finishFrame()
{
    previousViewProjection = renderedViewProjection;
}

void World::drawList(const std::vector<SceneObject*>& objects, const glm::mat4& projectionMatrix, MovableCamera* camera)
{
    for (SceneObject* object : objects) {
        int unit = 0;
        Sampler* sampler = samplerFor(object, unit);
        if (sampler)
            sampler->bind(unit);
        drawObject(object, projectionMatrix, camera);
        if (sampler)
            Sampler::unbind(unit);
    }
}

Sampler* World::samplerFor(const SceneObject* object, int& unit)
{
    if (quality_ != RenderQuality::Auto)
        return nullptr;
    // The power wheel and its arrow, the largest HUD images, from one mipmap: with the default
    // filters they are otherwise trilinear over a good part of the window. Drawn at no less
    // than 1/sqrt(2) of their size, that mipmap is the top one: then read as a plain picture,
    // the same texels without working out a level on every pixel.
    if ((object == wheel || object == arrow) && mipmapMode == 2 && samplingMode == 1) {
        unit = object == wheel ? wheelUnit : arrowUnit;
        const float drawnPixels = object->scale().y * float(std::min(windowWidth, windowHeight));
        const bool topLevel =
            drawnPixels * std::sqrt(2.0f) >= float(object == wheel ? wheelImageHeight : arrowImageHeight);
        return topLevel ? &pictureSampler : &spriteSampler;
    }
    // The ground's packed colour and normal map from one mipmap, not a blend of two: the grain
    // looks the same, and a software renderer reads half the texels on every pixel of ground.
    if (object == terrain && mipmapMode == 2 && samplingMode == 1) {
        unit = Terrain::DETAIL_UNIT;
        return &groundSampler;
    }
    // The scene copied into the window as it is (not streaked) is read as one picture.
    if (object == motionBlurQuad && object->shader() == copyProgram) {
        unit = motionBlurQuad->textureUnit();
        return &pictureSampler;
    }
    return nullptr;
}

void World::drawObject(SceneObject* object, const glm::mat4& projectionMatrix, MovableCamera* camera)
{
    Shader* program = object->shader();
    if (!program) {
        std::printf("ERROR: SceneObject got no shader!\n");
        return;
    }
    program->use();
    program->setViewMatrix(camera->viewMatrix());
    program->setProjectionMatrix(projectionMatrix);
    const glm::vec3& light = lightState.position;
    setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, light.x, light.y, light.z);
    object->render();
    Shader::unuse();
}

void World::onResize(int width, int height)
{
    // A minimised window reports 0 x 0: keep the last projections and target until it returns.
    if (width <= 0 || height <= 0)
        return;
    traceEvent("resize", std::to_string(width) + " " + std::to_string(height));
    windowWidth = width;
    windowHeight = height;
    projection = sceneProjection(width, height);
    hudProjectionMatrix = hudProjection(width, height);
    renderScale.setFloor(RenderScale::floorFor(width, height));
    // A software renderer starts at the floor of the window it really got.
    if (softwareRenderer && !frameTimeNoted)
        renderScale.reset(renderScale.floor());
    offscreenTarget.resize(width, height);
    if (motionBlurQuad) {
        motionBlurQuad->setTexture(static_cast<int>(offscreenTarget.colorTexture()), 1);
        motionBlurQuad->setDepthTexture(static_cast<int>(offscreenTarget.depthTexture()), 2);
    }
}

void World::setFps(double fps)
{
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.2f", fps);
    traceEvent("fps", rate);
    if (!fpsText || !fpsText->isVisible())
        return;
    char text[100];
    std::snprintf(text, sizeof text, "FPS: %.2f", fps);
    fpsText->setText(text);
}

void World::showMessage(const std::string& text)
{
    messageTime = static_cast<float>(clockNow());
    messageText->setText(text);
    messageText->setVisible(true);
    traceEvent("message", text);
}

void World::onThrow()
{
    if (gameLogic)
        gameLogic->onThrow();
}

void World::release()
{
    for (SceneObject* object : objects3D)
        delete object;
    objects3D.clear();
    for (SceneObject* object : hudObjects)
        delete object;
    hudObjects.clear();
    standingLine.reset();
    menuView.reset();
    goalView.reset();
    overlayShown = false;
    character = nullptr;
    grov = nullptr;
    freeCamera.reset();
    gameCamera.reset();
    activeCamera = nullptr;
    gameLogic.reset();
    offscreenTarget.release();
    sceneTarget.release();
    backdrop.release();
    frameTarget.release();
    blurTarget.release();
    texelSampler.release();
    spriteSampler.release();
    pictureSampler.release();
    groundSampler.release();
    lastTarget = nullptr;
    terrain = nullptr;
    motionBlurQuad = nullptr;
}
