#pragma once
// Each asset family registers one function that writes its files under the run directory.

#include <string>

using GeneratorFunction = bool (*)(const std::string& gameDir);

// Registers a generator; the order of registration does not matter, they run sorted by name.
bool registerGenerator(const char* name, GeneratorFunction function);

#define GROV_REGISTER_GENERATOR(name, function)                                                                        \
    static const bool grovGeneratorRegistered_##function = registerGenerator(name, function)
