// Bounded copies of menu text and its widening from Windows-1252.
#include "gui/StringCopy.h"

#include "platform/font/Cp1252.h"

#include <cstring>

namespace
{
constexpr size_t kTextSize = 260;
} // namespace

HRESULT CopyString260(const char* source, char* destination)
{
    if (!source || !destination)
        return E_INVALIDARG;
    const size_t length = strnlen(source, kTextSize - 1);
    std::memcpy(destination, source, length);
    destination[length] = '\0';
    return S_OK;
}

void ToWideString(const char* source, wchar_t* destination, size_t capacity)
{
    if (!source || !destination || capacity == 0)
        return;
    const size_t length = strnlen(source, capacity - 1);
    for (size_t i = 0; i < length; ++i)
        destination[i] = wchar_t(font::Cp1252ToUnicode(static_cast<unsigned char>(source[i])));
    destination[length] = L'\0';
}
