#include "render/ShaderCache.h"

#include "render/Shader.h"

ShaderCache::~ShaderCache()
{
    // clear() is the way out while the GL context exists; this only frees records that are
    // still here when the context may already be gone.
    for (auto& entry : shaders)
        delete entry.second;
}

void ShaderCache::createDefaultEntry()
{
    if (shaders.find(DEFAULT_KEY) == shaders.end())
        shaders[DEFAULT_KEY] = new Shader();
}

Shader* ShaderCache::defaultShader()
{
    createDefaultEntry();
    return shaders[DEFAULT_KEY];
}

Shader* ShaderCache::get(const std::string& vertexPath, const std::string& fragmentPath,
                         const std::string& geometryPath)
{
    const std::string key = vertexPath + fragmentPath + geometryPath;
    auto found = shaders.find(key);
    if (found != shaders.end())
        return found->second;

    Shader* shader = Shader::build(vertexPath, fragmentPath, geometryPath);
    if (!shader)
        return defaultShader();
    shaders[key] = shader;
    return shader;
}

bool ShaderCache::contains(const std::string& key) const
{
    return shaders.find(key) != shaders.end();
}

void ShaderCache::clear()
{
    for (auto& entry : shaders) {
        entry.second->release();
        delete entry.second;
    }
    shaders.clear();
}
