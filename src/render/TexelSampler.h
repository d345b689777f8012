#pragma once
// A sampler object that reads a texture texel for texel (nearest, mirrored at the edges),
// whatever filters the texture itself carries. Made on first use, released with release().

class TexelSampler {
public:
    TexelSampler() = default;
    TexelSampler(const TexelSampler&) = delete;
    TexelSampler& operator=(const TexelSampler&) = delete;

    // Reads the texture on unit through this sampler until unbind.
    void bind(int unit);
    static void unbind(int unit);
    void release();

private:
    unsigned int sampler = 0;
};
