#pragma once
// The ground and the sky of a view that stands still (aiming, the menu over the game), kept
// from frame to frame. Shading the ground is most of a frame on a software renderer, and while
// the camera does not move only the light does, slowly: a still frame copies the kept picture
// back and shades the ground again in one band of BANDS only, each band in turn, so the light
// on the kept ground is never more than BANDS frames old and no frame pays for all of it.
//
// A view is kept from its second frame on, so a moving camera pays nothing for it, and the
// kept picture's memory is given back while it moves. Any change to the view, the target's
// size or the drawing settings, or a jump of the light, shades the whole ground again.

#include "render/Framebuffer.h"

#include <glm/glm.hpp>

#include <functional>

class Backdrop {
public:
    static constexpr int BANDS = 8;
    // The light goes round in 72 s, a twelfth of a degree a frame at 60 Hz.
    static constexpr double LIGHT_JUMP_DEGREES = 1.0;

    // What the picture of the ground and the sky depends on, the light aside.
    struct View {
        glm::mat4 viewProjection{1.0f};
        int width = 0;
        int height = 0;
        int settings = 0; // the drawing toggles, packed by the caller

        bool operator==(const View& other) const;
    };

    enum class Drawn { Whole, OneBand };

    // Leaves this frame's ground and sky in target, colour and depth. drawStill clears and
    // draws them into the bound target; with a band's scissor on, it touches that band only.
    // lightDegrees is where the light stands on its circle: more than LIGHT_JUMP_DEGREES since
    // the last frame is a jump (a stall, a new day) that would show between the bands.
    Drawn draw(const View& view, double lightDegrees, Framebuffer& target, const std::function<void()>& drawStill);
    // Nothing is kept any more, and the kept picture's GL objects are freed.
    void release();
    // True while a picture is kept.
    bool isKept() const { return kept_; }

private:
    // Copies a band of rows (or the whole picture) from one target's colour and depth into
    // another's of the same size.
    static void copy(const Framebuffer& from, const Framebuffer& to, int firstRow, int rows);

    Framebuffer keptPicture;
    View keptView;
    View lastView;
    bool kept_ = false;
    bool hadLastView = false;
    double lastLightDegrees = 0.0;
    int nextBand = 0;
};
