#include "render/RenderQuality.h"

#include <GL/glew.h>

#include <algorithm>
#include <cctype>

bool isSoftwareRenderer(const std::string& rendererName)
{
    std::string name = rendererName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software", "swr", "gdi generic"})
        if (name.find(word) != std::string::npos)
            return true;
    return false;
}

bool currentContextIsSoftware()
{
    const GLubyte* renderer = glGetString(GL_RENDERER);
    return renderer && isSoftwareRenderer(reinterpret_cast<const char*>(renderer));
}
