#pragma once
// A sampler object for HUD images drawn at one size all over: it reads the one mipmap nearest
// that size, filtered linearly, instead of blending two. Across such an image the level never
// changes, so nothing bands, and a software renderer reads half the texels. The texture needs
// its mipmaps. Made on first use, released with release().

class SpriteSampler {
public:
    SpriteSampler() = default;
    SpriteSampler(const SpriteSampler&) = delete;
    SpriteSampler& operator=(const SpriteSampler&) = delete;

    // Reads the texture on unit through this sampler until unbind.
    void bind(int unit);
    static void unbind(int unit);
    void release();

private:
    unsigned int sampler = 0;
};
