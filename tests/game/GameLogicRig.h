#pragma once
// The objects the World hands to GameLogic, built from the run directory's real files and
// wired in the World's order: the game camera, HUD sprites and texts, the rage meter, Grov,
// the terrain heights and eight tanks. Needs a current GL context; works inside
// GROV_GAME_DIR for its lifetime. Shared by the game tests and benchmarks.

#include "LandscapeScene.h"
#include "ManualClock.h"
#include "ScriptedInput.h"
#include "audio/Song.h"
#include "game/GameLogic.h"
#include "game/RageMeter.h"
#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/Sprite.h"
#include "render/Text2D.h"

#include <memory>
#include <string>
#include <vector>

struct GameLogicRig {
    static constexpr double FRAME = 1.0 / 60.0; // seconds

    // gameDir: the run directory to load from; a test may hand in a damaged copy.
    explicit GameLogicRig(const std::string& gameDir = GROV_GAME_DIR)
        : directory(gameDir), camera(glm::vec3(0, 15, 15), glm::vec3(0, 0, -28), glm::vec3(0, 1, 0), 0.00045f, 20.0f),
          grov("assets/grov_anim.dae")
    {
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
            tanks.push_back(std::make_unique<Tank>("assets/tank.dae"));
            tanks.back()->setPosition(i < 2 ? placed[i] : glm::vec3(0, 0, 100));
            if (i < 2)
                terrain.placeOnTop(*tanks.back());
        }
        arrow.setRotationAxis(glm::vec3(0, 0, 1));
        for (SceneObject* hidden : std::initializer_list<SceneObject*>{&rage, &altitudeWarning, &distanceText,
                                                                       &gameOverText, &resultText, &retryText})
            hidden->setVisible(false);
    }

    // Each rig starts its own music; stop it so later tests hear only theirs.
    ~GameLogicRig()
    {
        for (Song* song : {logic.introSong(), logic.inbetweenSong(), logic.flightSong()})
            if (song)
                song->stop();
    }

    void wire()
    {
        logic.setCamera(&camera);
        logic.setWheel(&wheel);
        logic.setArrow(&arrow);
        logic.setRageMeter(&rage);
        logic.setDistanceText(&distanceText);
        logic.setAltitudeWarning(&altitudeWarning);
        logic.setGrov(&grov);
        logic.setEndTexts(&gameOverText, &resultText, &retryText);
        logic.setTerrain(&terrain);
        for (auto& tank : tanks)
            logic.addTank(tank.get());
        logic.init();
    }

    // One frame as the World runs it: the game camera, then the rules.
    void frame(double dt = FRAME)
    {
        camera.update(dt);
        logic.update(dt, dt);
    }

    // Stops the arrow at angle degrees and runs the wind-up; true once Grov is in flight.
    bool launchAt(float angle)
    {
        arrow.setRotationAngle(angle);
        logic.onSpace();
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
    BoneObject grov;
    std::vector<std::unique_ptr<Tank>> tanks;
    Sprite wheel, arrow, altitudeWarning;
    RageMeter rage;
    Text2D distanceText, gameOverText, resultText, retryText;
    GameLogic logic;
};
