// Writes a Windows Media movie: pictures in WMV2 and sound in WMA2 inside an
// ASF container, with FFmpeg's encoders, for the demo intro.wmv and the movie
// tests. Pictures come from a callback one at a time; the output is the same
// for the same input (bit-exact encoding, no creation date).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct WmvClip
{
    // Pictures: frameCount pictures of width x height (even sizes), drawn
    // into X8R8G8B8 pixels, top row first. frameCount 0 writes no video stream.
    int width = 0;
    int height = 0;
    int framesPerSecond = 25;
    int frameCount = 0;
    std::function<void(int index, std::vector<uint32_t>& pixels)> drawFrame;
    // Fixed quantiser, 2 (finest) to 31.
    int quantiser = 2;

    // Sound: interleaved signed 16-bit samples, one or two channels; empty
    // writes no sound stream.
    int sampleRate = 22050;
    int channels = 1;
    std::vector<int16_t> audio;
};

// False (and a line on stderr) when an encoder or the file refuses.
bool WriteWmvFile(const std::string& path, const WmvClip& clip);

// A clip of solid-colour pictures, one per colour (X8R8G8B8), in order.
WmvClip MakeSolidColourClip(const std::vector<uint32_t>& colours, int width, int height, int framesPerSecond);
