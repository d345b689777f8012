#pragma once
// Grov's voice: the launch grunt, the four bounce sounds and the two tank-hit laughs.
// Each returns mono samples at SAMPLE_RATE, peak-normalised to 1.

#include <vector>

namespace sound {

std::vector<float> gruntSound(); // effortful "hngh" as he is thrown
std::vector<float> ahSound();    // sharp "ah!" of pain
std::vector<float> mmSound();    // closed-mouth "mmh!"
std::vector<float> uffSound();   // winded "uff"
std::vector<float> uuhSound();   // falling, breathy groan
std::vector<float> hahaSound();  // hearty "ha ha ha ha"
std::vector<float> haha2Sound(); // quick, high cackle "heh heh heh"

} // namespace sound
