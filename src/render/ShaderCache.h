#pragma once
// Builds each distinct set of shader files once and hands out shared Shader pointers. A pair
// that fails to build gets the "DefaultShader" entry, whose program is 0, and is tried again
// (and reported again) on the next request.

#include <map>
#include <string>

class Shader;

class ShaderCache {
public:
    ShaderCache() = default;
    ~ShaderCache();
    ShaderCache(const ShaderCache&) = delete;
    ShaderCache& operator=(const ShaderCache&) = delete;

    // Creates the "DefaultShader" fallback entry; called once before anything is requested.
    void createDefaultEntry();

    // The program built from these files (an empty geometry path means none); never null.
    Shader* get(const std::string& vertexPath, const std::string& fragmentPath,
                const std::string& geometryPath = std::string());

    // The fallback program (created on demand if createDefaultEntry was not called).
    Shader* defaultShader();

    // Whether an entry is stored under this key (vertex + fragment + geometry path).
    bool contains(const std::string& key) const;
    std::size_t size() const { return shaders.size(); }

    // Deletes every program and record and empties the cache; needs the GL context.
    void clear();

    static constexpr const char* DEFAULT_KEY = "DefaultShader";

private:
    std::map<std::string, Shader*> shaders;
};
