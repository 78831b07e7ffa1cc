// stb_image's decoder, built into our own code rather than taken from libstb:
// it decodes untrusted files, so the sanitizers and the fuzzer must see
// inside it. Only BMP, PNG, TGA and JPEG, from memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d3dx
{
bool StbInfoFromMemory(const void* data, size_t size, int* width, int* height, int* channels);
// Pixels in R, G, B, A order (wanted channels 4), or null; free with StbFree.
uint8_t* StbLoadFromMemory(const void* data, size_t size, int* width, int* height, int* channels, int wanted);
const char* StbFailureReason();
void StbFree(uint8_t* pixels);
} // namespace d3dx
