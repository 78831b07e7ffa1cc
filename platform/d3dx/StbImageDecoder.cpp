// The decoder's own file, so that its build options stay its own (see
// CMakeLists.txt: its bit reader's over-wide shifts on corrupt JPEG data are
// not reported; its memory accesses are).
#include "platform/d3dx/StbImageDecoder.h"

#include <climits>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace d3dx
{
bool StbInfoFromMemory(const void* data, size_t size, int* width, int* height, int* channels)
{
    return size <= size_t(INT_MAX) &&
           stbi_info_from_memory(static_cast<const stbi_uc*>(data), int(size), width, height, channels) != 0;
}

uint8_t* StbLoadFromMemory(const void* data, size_t size, int* width, int* height, int* channels, int wanted)
{
    if (size > size_t(INT_MAX))
        return nullptr;
    return stbi_load_from_memory(static_cast<const stbi_uc*>(data), int(size), width, height, channels, wanted);
}

const char* StbFailureReason()
{
    const char* reason = stbi_failure_reason();
    return reason ? reason : "unknown";
}

void StbFree(uint8_t* pixels)
{
    stbi_image_free(pixels);
}
} // namespace d3dx
