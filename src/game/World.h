#pragma once
// The whole scene: built once by init, updated and drawn every frame, released at the end.

class ShaderCache;

class World {
public:
    // Builds the scene; the cache stays owned by the caller.
    void init(ShaderCache* shaderCache);
    // Updates everything, draws both passes and presents the frame.
    void frame(double gameDt, double realDt);
    void onResize(int width, int height);
    void setFps(double fps);
    float nominalRate() const { return nominalFrameRate; }
    void onSpace();
    void release();

private:
    static constexpr float nominalFrameRate = 60.0f; // frames per second

    ShaderCache* shaderCache = nullptr;
};
