#pragma once
// A tank standing in the world: an imported model whose turret, the root's child node
// "tank_top", keeps turning about its own vertical axis.

#include "model/ImportObject.h"

class Tank : public ImportObject {
public:
    explicit Tank(const std::string& path);

    void draw(Shader* shader) override;
    // Turns the turret by dt x 45 degrees; a model without a turret node stays as it is.
    void update(double dt) override;
};
