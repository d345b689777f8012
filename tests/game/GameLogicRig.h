#pragma once
// What the World hands to GameLogic, without a window or GL context: the game camera, Grov and
// eight tanks as the boxes their model files give, and the real terrain heights, wired in the
// World's order. Input goes through the scripted input seam and the game's controls, so a
// test presses keys and holds buttons as a player does. Works inside GROV_GAME_DIR (or a copy
// of it) for its lifetime. Shared by the game tests and benchmarks.

#include "LandscapeScene.h"
#include "ManualClock.h"
#include "ScriptedInput.h"
#include "audio/Song.h"
#include "core/Controls.h"
#include "game/GameLogic.h"
#include "model/ImportObject.h"
#include "render/MovableCamera.h"
#include "render/Terrain.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// A model as the rules see it: a position and the box its file gives; nothing is drawn.
class ModelBody : public SceneObject {
public:
    explicit ModelBody(const std::string& path) { loaded = ImportObject::readBox(path, lo, hi); }
    void draw(Shader*) override {}
    glm::vec3 boundsMin() const override { return lo; }
    glm::vec3 boundsMax() const override { return hi; }
    bool isLoaded() const { return loaded; }

private:
    glm::vec3 lo{0.0f};
    glm::vec3 hi{0.0f};
    bool loaded = false;
};

struct GameLogicRig {
    static constexpr double FRAME = 1.0 / 60.0; // seconds

    // gameDir: the run directory to load from; a test may hand in a damaged copy.
    explicit GameLogicRig(const std::string& gameDir = GROV_GAME_DIR)
        : directory(gameDir), camera(glm::vec3(0, 15, 15), glm::vec3(0, 0, -28), glm::vec3(0, 1, 0), 0.00045f, 20.0f),
          grov("assets/grov_anim.dae")
    {
        controls().reset();
        input.mouseX = input.windowWidth / 2; // mouse look sees no movement
        input.mouseY = input.windowHeight / 2;
        camera.setControls(false, false);
        camera.setLimits(135, 225, -45, 45);
        terrain.loadHeights("res/heightmap.png");
        terrain.setScale(glm::vec3(5, 30, 5));
        terrain.setPosition(glm::vec3(10, 0, 0));
        terrain.placeOnGround(grov);
        // The World lifts the camera to 12 above Grov, keeping its viewing direction.
        const glm::vec3 lift(0, grov.position().y + 12.0f - camera.eye().y, 0);
        camera.lookAt(camera.eye() + lift, camera.center() + lift, camera.up());

        const glm::vec3 placed[2] = {glm::vec3(-60, 0, -200), glm::vec3(20, 0, -50)};
        for (int i = 0; i < 8; ++i) {
            tanks.push_back(std::make_unique<ModelBody>("assets/tank.dae"));
            tanks.back()->setPosition(i < 2 ? placed[i] : glm::vec3(0, 0, 100));
            if (i < 2)
                terrain.placeOnTop(*tanks.back());
        }
    }

    // Each rig starts its own music; stop it so later tests hear only theirs.
    ~GameLogicRig()
    {
        for (Song* song : {logic.introSong(), logic.inbetweenSong(), logic.flightSong()})
            if (song)
                song->stop();
        controls().reset();
    }

    void wire()
    {
        logic.setCamera(&camera);
        logic.setGrov(&grov);
        logic.setTerrain(&terrain);
        for (auto& tank : tanks)
            logic.addTank(tank.get());
        logic.init();
    }

    // A key press as the window delivers it; its action acts in the next frame.
    void tap(int key) { controls().keyPressed(key); }

    // One frame as the game runs it: the controls, the game camera, then the rules.
    void frame(double dt = FRAME)
    {
        controls().beginFrame();
        camera.update(dt);
        logic.update(dt);
    }

    // Stops the arrow at angle degrees, throws and runs the wind-up; true once Grov is in flight.
    bool launchAt(float angle)
    {
        logic.setArrowAngle(angle);
        tap(KEY_SPACE);
        frame();
        for (int i = 0; i < 200 && logic.state() == GameLogic::STATE_WIND_UP; ++i)
            frame();
        return logic.state() == GameLogic::STATE_FLIGHT;
    }

    // Grov over the middle of the tank, half a unit into the top of its box.
    void putGrovOn(const SceneObject& tank)
    {
        const glm::vec3 tankMiddle = tank.position() + 0.5f * (tank.boundsMin() + tank.boundsMax());
        const glm::vec3 grovMiddle = 0.5f * (grov.boundsMin() + grov.boundsMax());
        const float y = tank.position().y + tank.boundsMax().y - grov.boundsMin().y - 0.5f;
        grov.setPosition(glm::vec3(tankMiddle.x - grovMiddle.x, y, tankMiddle.z - grovMiddle.z));
    }

    bool isFadingOut(const SceneObject* tank) const
    {
        const auto& list = logic.fadingOutTanks();
        return std::count(list.begin(), list.end(), tank) > 0;
    }

    ScopedWorkingDirectory directory;
    ScriptedInput input;
    ManualClock clock;
    MovableCamera camera;
    Terrain terrain;
    ModelBody grov;
    std::vector<std::unique_ptr<ModelBody>> tanks;
    GameLogic logic;
};
