// The loading splash: the start-up picture with "Loading Game" and the loading
// percent written over it, and the window icon. Both pictures are drawn by code
// here instead of being shipped as files, since they are needed before any data
// is read.
#pragma once

#include <cstdint>
#include <vector>

struct SplashImage
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // A8R8G8B8
};

// The 485 x 300 start-up picture without text.
const SplashImage& SplashPicture();
// The picture with the two text lines for the given percent (rebuilt when it changes).
const SplashImage& ComposeSplash(int loadingPercent);
// The 32 x 32 window icon.
const SplashImage& WindowIcon();
