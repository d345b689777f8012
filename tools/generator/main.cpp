// grov-generate <game dir>: writes the game's data into the run directory.

#include "Generator.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<std::string, GeneratorFunction>& generators()
{
    static std::map<std::string, GeneratorFunction> all;
    return all;
}

} // namespace

bool registerGenerator(const char* name, GeneratorFunction function)
{
    generators()[name] = function;
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: grov-generate <game dir>\n");
        return 2;
    }
    const std::string gameDir = argv[1];
    int failures = 0;
    for (const auto& [name, function] : generators()) {
        if (!function(gameDir)) {
            std::fprintf(stderr, "grov-generate: %s failed\n", name.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
