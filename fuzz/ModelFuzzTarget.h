#pragma once
// The shared body of the two model fuzz targets: any bytes as a Collada file, loaded by the
// game's own class, then updated and drawn once into a small hidden window the way the game
// draws it.

#include <cstddef>
#include <cstdint>
#include <string>

class ImportObject;
class Shader;

namespace ModelFuzzTarget {

// Enters the run directory, opens the GL context and builds the program for the model kind.
Shader* setUp(const std::string& vertexShader, const std::string& fragmentShader);

// Writes the bytes as this process's scratch .dae file and returns its path.
std::string writeScratchModel(const std::uint8_t* data, std::size_t size);

// Updates and draws a loaded model with the program, and checks what every loader promises:
// a model that says it is loaded has a node tree and a box of eight corners.
void exercise(ImportObject& model, Shader* program);

} // namespace ModelFuzzTarget
