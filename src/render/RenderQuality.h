#pragma once
// How the game trades picture for speed ("QUALITY" in settings.txt). FULL draws the reference
// picture everywhere: the whole terrain strip, at the window's resolution, multisampled.
// AUTO draws that too while frames keep to their budget on a GPU; on a software renderer, or
// when frames run late, the far ground comes with less detail, the scene single-sampled and,
// as far as needed, at a lower resolution scaled up to the window.

#include <string>

enum class RenderQuality { Auto, Full };

// Whether the GL_RENDERER string names a renderer that runs on the processor (Mesa's llvmpipe
// and softpipe, the old swrast, OpenSWR, Microsoft's and Apple's software renderers).
bool isSoftwareRenderer(const std::string& rendererName);
// The same for the current OpenGL context; false without one.
bool currentContextIsSoftware();
