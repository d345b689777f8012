#include "LandscapeScene.h"

#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// The game camera's pose before it is lifted to Grov's height, and the light's start.
const glm::vec3 CAMERA_EYE(0.0f, 15.0f, 15.0f);
const glm::vec3 CAMERA_CENTER(0.0f, 0.0f, -28.0f);
const glm::vec3 CAMERA_UP(0.0f, 1.0f, 0.0f);
constexpr float CAMERA_ABOVE_GROV = 12.0f; // world units
const glm::vec3 LIGHT_BASE(-3000.0f, 1000.0f, -3000.0f);
constexpr double SUN_ANGLE = 70.0; // degrees

} // namespace

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& directory)
{
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer))
        previous = buffer;
    if (chdir(directory.c_str()) != 0)
        std::perror(directory.c_str());
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    if (!previous.empty() && chdir(previous.c_str()) != 0)
        std::perror(previous.c_str());
}

bool LandscapeScene::build(const std::string& gameDir, int targetWidth, int targetHeight)
{
    width = targetWidth;
    height = targetHeight;
    ScopedWorkingDirectory inGameDir(gameDir);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colourBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (!complete)
        return false;

    shaders = std::make_unique<ShaderCache>();
    shaders->createDefaultEntry();
    Shader* terrainProgram = shaders->get("shader/heightmap.vert", "shader/heightmapBlinnPhongTexture.frag");
    Shader* skyProgram = shaders->get("shader/standard.vert", "shader/texture.frag");
    if (terrainProgram == shaders->defaultShader() || skyProgram == shaders->defaultShader())
        return false;

    gameCamera = std::make_unique<MovableCamera>(CAMERA_EYE, CAMERA_CENTER, CAMERA_UP, 0.00045f, 20.0f);
    gameCamera->setControls(false, false);
    gameCamera->setLimits(135.0f, 225.0f, -45.0f, 45.0f);
    activeCamera = gameCamera.get();

    terrain = std::make_unique<Terrain>();
    terrain->generate(800, 800);
    terrain->setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    terrain->setPosition(glm::vec3(10.0f, 0.0f, 0.0f));
    terrain->setCamera(&activeCamera);
    terrain->setShader(terrainProgram);

    // Grov stands on the ground at the origin and the camera is lifted to keep him in view.
    const float lift = terrain->heightAt(0.0f, 0.0f) + CAMERA_ABOVE_GROV - gameCamera->eye().y;
    gameCamera->lookAt(gameCamera->eye() + glm::vec3(0.0f, lift, 0.0f),
                       gameCamera->center() + glm::vec3(0.0f, lift, 0.0f), gameCamera->up());

    sky = std::make_unique<Skybox>();
    sky->setup(&activeCamera, "res/skybox2/front.jpg", "res/skybox2/back.jpg", "res/skybox2/left.jpg",
               "res/skybox2/right.jpg", "res/skybox2/top.jpg", "res/skybox2/bottom.jpg");
    sky->setShader(skyProgram);

    projection = glm::perspective(glm::radians(45.0f), float(width) / float(height), 0.1f, 5000.0f);
    glm::mat4 circuit = glm::translate(glm::mat4(1.0f), activeCamera->eye());
    circuit = glm::rotate(circuit, glm::radians(float(SUN_ANGLE)), glm::vec3(0.0f, 1.0f, 0.0f));
    lightPosition = glm::vec3(circuit * glm::vec4(LIGHT_BASE, 1.0f));
    const double brightness = (std::sin(SUN_ANGLE * M_PI / 180.0 + M_PI / 2.0) + 1.0) / 2.0;
    lightPosition.y = float((5000.0 - 10.0) * brightness + 10.0);
    return true;
}

LandscapeScene::~LandscapeScene()
{
    sky.reset();
    terrain.reset();
    if (shaders)
        shaders->clear();
    if (framebuffer)
        glDeleteFramebuffers(1, &framebuffer);
    if (colourBuffer)
        glDeleteRenderbuffers(1, &colourBuffer);
    if (depthBuffer)
        glDeleteRenderbuffers(1, &depthBuffer);
}

void LandscapeScene::drawObject(SceneObject& object)
{
    Shader* shader = object.shader();
    shader->use();
    shader->setViewMatrix(activeCamera->viewMatrix());
    shader->setProjectionMatrix(projection);
    setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, lightPosition.x, lightPosition.y, lightPosition.z);
    object.render();
    Shader::unuse();
}

void LandscapeScene::draw(const std::vector<SceneObject*>& models)
{
    terrain->update(0.0);
    sky->update(0.0);

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawObject(*terrain);
    for (SceneObject* model : models)
        drawObject(*model);
    drawObject(*sky);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

std::vector<unsigned char> LandscapeScene::readColour() const
{
    std::vector<unsigned char> pixels(std::size_t(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return pixels;
}

std::vector<float> LandscapeScene::readDepth() const
{
    std::vector<float> depth(std::size_t(width) * height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return depth;
}

bool LandscapeScene::savePng(const std::string& path) const
{
    const std::vector<unsigned char> pixels = readColour();
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    if (!image)
        return false;
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, y); // bottom-up, like GL
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &pixels[(std::size_t(y) * width + x) * 4];
            line[x * 3 + FI_RGBA_RED] = p[0];
            line[x * 3 + FI_RGBA_GREEN] = p[1];
            line[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), 0);
    FreeImage_Unload(image);
    return saved;
}
