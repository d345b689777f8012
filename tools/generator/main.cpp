// grov-generate <game dir> [family...]: writes the game's data into the run directory; with
// families named ("sounds", "models"...), only those.

#include "Generator.h"

#include <cstdio>
#include <map>
#include <set>
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: grov-generate <game dir> [family...]\n");
        return 2;
    }
    const std::string gameDir = argv[1];
    std::set<std::string> wanted(argv + 2, argv + argc);
    for (const std::string& name : wanted)
        if (!generators().count(name)) {
            std::fprintf(stderr, "grov-generate: no family named %s\n", name.c_str());
            return 2;
        }
    int failures = 0;
    for (const auto& [name, function] : generators()) {
        if (!wanted.empty() && !wanted.count(name))
            continue;
        if (!function(gameDir)) {
            std::fprintf(stderr, "grov-generate: %s failed\n", name.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
