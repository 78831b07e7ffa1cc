// Picture tests keep their frames for a person to look at: with
// QV7_SAVE_PICTURES set to a folder, each goes there as name.png; nothing
// happens otherwise.
#pragma once

#include "platform/gfx/D3D9.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace gltest
{
inline void SavePicture(const gfx::PresentedFrame& frame, const std::string& name)
{
    const char* folder = std::getenv("QV7_SAVE_PICTURES");
    if (!folder)
        return;
    const ImagePixels image{uint32_t(frame.width), uint32_t(frame.height), frame.pixels};
    SaveImageFile(std::string(folder) + "/" + name + ".png", WritePng(image, false));
}

// The running test's name, to tell its pictures apart.
inline std::string TestPictureName(int number)
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::to_string(number);
}
} // namespace gltest
