#pragma once
// A sampler object: how a texture unit reads its texture, whatever filters the texture itself
// carries. Made on first use, released with release().

class Sampler {
public:
    // Texel for texel: nearest, mirrored at the edges.
    static Sampler texels();
    // The one mipmap nearest the drawn size, filtered linearly, instead of a blend of two: across
    // an image drawn at one size the level never changes, so nothing bands, and a software
    // renderer reads half the texels. The texture needs its mipmaps.
    static Sampler oneMipmap();
    // A picture scaled as a whole: linear, no mipmaps, held at its edges. A software renderer
    // reads clamped texels more cheaply than mirrored ones, and the edge texels come out the same.
    static Sampler wholePicture();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    // Reads the texture on unit through this sampler until unbind.
    void bind(int unit);
    static void unbind(int unit);
    void release();

private:
    Sampler(int minFilter, int magFilter, int wrap) : minFilter(minFilter), magFilter(magFilter), wrap(wrap) {}

    int minFilter;
    int magFilter;
    int wrap;
    unsigned int sampler = 0;
};
