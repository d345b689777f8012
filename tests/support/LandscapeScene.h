#pragma once
// The landscape as the game shows it at start-up (terrain and sky seen from the game camera's
// first pose, lit by the light's start position), drawn into an off-screen target of any size
// so tests and benchmarks can read the picture back. Needs a current GL context.

#include "render/MovableCamera.h"
#include "render/Skybox.h"
#include "render/Terrain.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

#include "render/ShaderCache.h"

// Changes the working directory for its lifetime (the game reads res/ and shader/ relative
// to it) and changes it back afterwards.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& directory);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous;
};

class LandscapeScene {
public:
    // Builds everything from the run directory's files; false when the target or a program
    // cannot be made.
    bool build(const std::string& gameDir, int width, int height);
    ~LandscapeScene();

    // One frame: update terrain and sky from the active camera, clear, draw as the World does
    // (terrain first, then any models given, the sky last at the far end of the depth range).
    void draw(const std::vector<SceneObject*>& models = {});

    // Rows bottom-up, as GL reads them.
    std::vector<unsigned char> readColour() const; // RGBA bytes
    std::vector<float> readDepth() const;          // window depth, 1 where nothing was drawn
    bool savePng(const std::string& path) const;

    int width = 0;
    int height = 0;
    std::unique_ptr<ShaderCache> shaders;
    std::unique_ptr<Terrain> terrain;
    std::unique_ptr<Skybox> sky;
    std::unique_ptr<MovableCamera> gameCamera;
    MovableCamera* activeCamera = nullptr;
    glm::mat4 projection{1.0f};
    glm::vec3 lightPosition{0.0f};

private:
    void drawObject(SceneObject& object);

    GLuint framebuffer = 0;
    GLuint colourBuffer = 0;
    GLuint depthBuffer = 0;
};
