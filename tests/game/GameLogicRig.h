#pragma once
// The objects the World hands to GameLogic, built from the run directory's real files and
// wired in the World's order: the game camera, the HUD sprites and texts, the rage meter,
// Grov, the terrain and eight tanks. Needs a current GL context; works inside GROV_GAME_DIR
// for its lifetime so the relative paths resolve. Shared by the game tests and benchmarks.

#include "ManualClock.h"
#include "ScriptedInput.h"
#include "audio/Song.h"
#include "game/GameLogic.h"
#include "game/RageMeter.h"
#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/MovableCamera.h"
#include "render/Sprite.h"
#include "render/Terrain.h"
#include "render/Text2D.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class ChangeDirectory {
public:
    explicit ChangeDirectory(const char* dir)
    {
        if (getcwd(previous, sizeof previous) == nullptr)
            previous[0] = '\0';
        ok = chdir(dir) == 0;
    }
    ~ChangeDirectory()
    {
        if (previous[0] != '\0' && chdir(previous) != 0)
            std::abort();
    }
    bool ok = false;

private:
    char previous[4096];
};

struct GameLogicRig {
    static constexpr double FRAME = 1.0 / 60.0; // seconds
    static constexpr int TANKS = 8;

    GameLogicRig() : directory(GROV_GAME_DIR)
    {
        input.mouseX = input.windowWidth / 2;
        input.mouseY = input.windowHeight / 2;

        camera = std::make_unique<MovableCamera>(glm::vec3(0, 15, 15), glm::vec3(0, 0, -28),
                                                 glm::vec3(0, 1, 0), 0.00045f, 20.0f);
        camera->setControls(false, false);
        camera->setLimits(135, 225, -45, 45);

        terrain.loadHeights("res/heightmap.png");
        terrain.setScale(glm::vec3(5, 30, 5));
        terrain.setPosition(glm::vec3(10, 0, 0));

        grov = std::make_unique<BoneObject>("assets/grov_anim.dae");
        terrain.placeOnGround(*grov);
        // The World lifts the camera to 12 above Grov, keeping its viewing direction.
        const float lift = grov->position().y + 12.0f - camera->eye().y;
        camera->lookAt(camera->eye() + glm::vec3(0, lift, 0), camera->center() + glm::vec3(0, lift, 0),
                       camera->up());

        const glm::vec3 placed[2] = {glm::vec3(-60, 0, -200), glm::vec3(20, 0, -50)};
        for (int i = 0; i < TANKS; ++i) {
            tanks.push_back(std::make_unique<Tank>("assets/tank.dae"));
            tanks.back()->setTransparent(true);
            if (i < 2) {
                tanks.back()->setPosition(placed[i]);
                terrain.placeOnTop(*tanks.back());
            } else {
                tanks.back()->setPosition(glm::vec3(0, 0, 100));
            }
        }
        rage.setValue(1.0f);
        rage.setVisible(false);
        altitudeWarning.setVisible(false);
        for (Text2D* text : {&distanceText, &gameOverText, &resultText, &retryText})
            text->setVisible(false);
        arrow.setRotationAxis(glm::vec3(0, 0, 1));
    }

    // Every test starts its own music; stop it, so later tests hear only theirs.
    ~GameLogicRig()
    {
        for (Song* song : {logic.introSong(), logic.inbetweenSong(), logic.flightSong()})
            if (song)
                song->stop();
    }

    // Wires everything and runs init, as the World does.
    void wire()
    {
        logic.setCamera(camera.get());
        logic.setWheel(&wheel);
        logic.setArrow(&arrow);
        logic.setRageMeter(&rage);
        logic.setDistanceText(&distanceText);
        logic.setAltitudeWarning(&altitudeWarning);
        logic.setGrov(grov.get());
        logic.setEndTexts(&gameOverText, &resultText, &retryText);
        logic.setTerrain(&terrain);
        for (auto& tank : tanks)
            logic.addTank(tank.get());
        logic.init();
    }

    // One frame as the World runs it: the game camera with the wall-clock step, then the rules.
    void frame(double dt = FRAME)
    {
        camera->update(dt);
        logic.update(dt, dt);
    }

    // Aims at angle degrees, presses SPACE and runs the wind-up; true once Grov is in flight.
    bool launchAt(float angle)
    {
        arrow.setRotationAngle(angle);
        logic.onSpace();
        for (int i = 0; i < 200 && logic.state() == GameLogic::STATE_WIND_UP; ++i)
            frame();
        return logic.state() == GameLogic::STATE_FLIGHT;
    }

    // Tanks far to the side, out of reach of a throw (until one is sent ahead); call before
    // wire, so these become their home positions.
    void parkTanksFarAway()
    {
        for (int i = 0; i < TANKS; ++i)
            tanks[i]->setPosition(glm::vec3(5000.0f + 100.0f * float(i), 0.0f, -5000.0f));
    }

    ChangeDirectory directory;
    ScriptedInput input;
    ManualClock clock;
    std::unique_ptr<MovableCamera> camera;
    Terrain terrain;
    std::unique_ptr<BoneObject> grov;
    std::vector<std::unique_ptr<Tank>> tanks;
    Sprite wheel;
    Sprite arrow;
    Sprite altitudeWarning;
    RageMeter rage;
    Text2D distanceText;
    Text2D gameOverText;
    Text2D resultText;
    Text2D retryText;
    GameLogic logic;
};
