// The menu code's string helpers: the bounded 260-character copy with its
// refusals, and the widening of Windows-1252 text cut to the buffer's size.
#include "gui/StringCopy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

TEST(StringCopy, CopyString260KeepsAtMost259CharactersAndRefusesNull)
{
    struct Case
    {
        size_t length;
        size_t copied;
    };
    for (const Case c : {Case{0, 0}, Case{5, 5}, Case{259, 259}, Case{260, 259}, Case{1000, 259}})
    {
        const std::string source(c.length, 'q');
        char destination[262];
        std::memset(destination, '#', sizeof destination);
        EXPECT_EQ(CopyString260(source.c_str(), destination), S_OK);
        EXPECT_EQ(std::string(destination), source.substr(0, c.copied)) << c.length;
        EXPECT_EQ(destination[260], '#') << "nothing past the 260th place";
    }
    char untouched[4] = "abc";
    EXPECT_EQ(CopyString260(nullptr, untouched), E_INVALIDARG);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(CopyString260("x", nullptr), E_INVALIDARG);
}

TEST(StringCopy, ToWideStringWidensWindows1252AndFitsTheBuffer)
{
    wchar_t wide[8];
    ToWideString("EN \x80\xE9\x92", wide, 8);
    EXPECT_EQ(std::wstring(wide), std::wstring(L"EN \u20AC\u00E9\u2019"));

    // Cut to fit with its terminator; a zero-size buffer is left alone.
    std::wmemset(wide, L'#', 8);
    ToWideString("Intro.mpg", wide, 4);
    EXPECT_EQ(std::wstring(wide), std::wstring(L"Int"));
    EXPECT_EQ(wide[4], L'#');
    ToWideString("abc", wide, 0);
    EXPECT_EQ(wide[0], L'I');

    ToWideString(nullptr, wide, 8);
    ToWideString("abc", nullptr, 8);
    EXPECT_EQ(wide[0], L'I');
}
