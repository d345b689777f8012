#pragma once
// The goals on the HUD: a toast in the top left corner, clear of the distance and the rage
// meter, for each goal reached (one after another when several come at once), and at game over
// the open goals the throw came closest to.

#include "game/Goals.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class SceneObject;
class Shader;
class Sprite;
class Text2D;

class GoalView {
public:
    static constexpr double TOAST_SECONDS = 3.5;

    GoalView();
    ~GoalView();
    GoalView(const GoalView&) = delete;
    GoalView& operator=(const GoalView&) = delete;

    void build(Shader* hudProgram);
    // Queues the goal's toast; it shows at the next update, or when the one before it has gone.
    void showToast(const Goal& goal);
    // Moves the toasts on to the clock's seconds now; true when a toast appeared.
    bool update(double now);
    bool isToastShown() const;
    // The lines under the game-over texts; empty hides them.
    void showClosest(const std::vector<std::pair<const Goal*, double>>& goals);
    void draw(const std::function<void(SceneObject&)>& drawPart);

private:
    std::unique_ptr<Sprite> panel;
    std::unique_ptr<Text2D> heading;
    std::unique_ptr<Text2D> name;
    std::vector<std::unique_ptr<Text2D>> closestLines;
    std::deque<const Goal*> waiting;
    double shownSince = -1.0; // clock seconds the toast on screen appeared, or below 0 for none
};
