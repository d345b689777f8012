#pragma once
// What the fuzz targets share: the run directory as working directory (so the models find
// their textures and the font its image), a hidden GL context for the loaders that upload,
// a silent console, and the fuzzer's bytes as a file for the loaders that only read paths.

#include <cstddef>
#include <cstdint>
#include <string>

namespace FuzzSupport {

// Changes into the game's run directory and sends std::cout to nowhere: loaders print a line
// for every file, which would drown the fuzzer's own output.
void enterRunDirectory();

// Opens the hidden GL context once; aborts the fuzzer when there is none, since every input
// would then test nothing.
void requireGlContext();

// A scratch file path of its own per fuzzer process, ending in extension (".dae", ".png"),
// in $TMPDIR or /tmp; it is removed when the fuzzer ends normally.
std::string scratchPath(const std::string& extension);

// Writes the bytes to path, replacing what was there; false when the file cannot be written.
bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

} // namespace FuzzSupport
