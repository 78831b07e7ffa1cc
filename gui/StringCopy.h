// The two small string helpers of the menu code: a bounded copy into the
// system's 260-character text buffers, and the widening of 8-bit game text
// (Windows-1252) for the callers that hand wide strings on, such as the
// intro movie's file name.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstddef>

// Copies at most 259 characters of source into destination (260 characters)
// and terminates it; E_INVALIDARG, copying nothing, when either is null.
HRESULT CopyString260(const char* source, char* destination);

// Widens the whole of source, byte by byte from Windows-1252, and terminates
// the result. Nothing when either is null. capacity is destination's size in
// wide characters: a longer text is cut so that it and its terminator fit.
void ToWideString(const char* source, wchar_t* destination, size_t capacity);
