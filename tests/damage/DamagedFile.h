#pragma once
// The files the game reads from its run directory, and the ways a player's copy of one can be
// damaged.

#include <string>
#include <vector>

enum class Damage {
    Missing,
    Empty,
    Cut,    // the first half of the file
    Random, // bytes from a fixed seed, as many as the file had
};

// Every file the game reads at start-up, relative to the run directory.
const std::vector<std::string>& gameFiles();
const std::vector<Damage>& allDamages();
std::string damageName(Damage damage);

// Damages path in place; false when the file could not be read or written.
bool damageFile(const std::string& path, Damage damage);

// "res/font.png" with Cut gives "res_font_png_cut": a name a test case can carry.
std::string caseName(const std::string& file, Damage damage);
