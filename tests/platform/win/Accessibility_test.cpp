// The accessibility records and screen-saver flag as the game's start-up saves,
// switches off and restores them.
#include "platform/win/Accessibility.h"

#include <gtest/gtest.h>

namespace
{
class AccessibilityTest : public ::testing::Test
{
  protected:
    void SetUp() override { win::ResetSystemParameters(); }
    void TearDown() override { win::ResetSystemParameters(); }
};

template <typename Record> Record Get(unsigned action)
{
    Record record;
    EXPECT_TRUE(win::SystemParametersInfoA(action, sizeof(Record), &record, 0));
    return record;
}

// Save, clear the shortcut flags of a feature that is off, then write the
// saved record back: each step must read back exactly.
template <typename Record> void RoundTrip(unsigned getAction, unsigned setAction, uint32_t onFlag)
{
    const Record saved = Get<Record>(getAction);
    EXPECT_EQ(saved.dwFlags & onFlag, 0u) << "fresh default: feature off";
    EXPECT_EQ(saved.dwFlags & 0xCu, 0xCu) << "fresh default: hot key active and confirmed";

    Record quiet = saved;
    quiet.dwFlags &= ~0xCu;
    EXPECT_TRUE(win::SystemParametersInfoA(setAction, sizeof(Record), &quiet, 0));
    EXPECT_EQ(Get<Record>(getAction).dwFlags, saved.dwFlags & ~0xCu);

    Record restore = saved;
    EXPECT_TRUE(win::SystemParametersInfoA(setAction, sizeof(Record), &restore, win::SPIF_SENDCHANGE));
    EXPECT_EQ(Get<Record>(getAction).dwFlags, saved.dwFlags);
}

TEST_F(AccessibilityTest, RecordsRoundTrip)
{
    RoundTrip<win::STICKYKEYS>(win::SPI_GETSTICKYKEYS, win::SPI_SETSTICKYKEYS, win::SKF_STICKYKEYSON);
    RoundTrip<win::TOGGLEKEYS>(win::SPI_GETTOGGLEKEYS, win::SPI_SETTOGGLEKEYS, win::TKF_TOGGLEKEYSON);
    RoundTrip<win::FILTERKEYS>(win::SPI_GETFILTERKEYS, win::SPI_SETFILTERKEYS, win::FKF_FILTERKEYSON);

    win::FILTERKEYS filter = Get<win::FILTERKEYS>(win::SPI_GETFILTERKEYS);
    filter.iRepeatMSec = 123;
    ASSERT_TRUE(win::SystemParametersInfoA(win::SPI_SETFILTERKEYS, sizeof filter, &filter, 0));
    EXPECT_EQ(Get<win::FILTERKEYS>(win::SPI_GETFILTERKEYS).iRepeatMSec, 123u) << "whole record kept";
}

TEST_F(AccessibilityTest, BadRequestsFailAndChangeNothing)
{
    win::STICKYKEYS wrongSize;
    wrongSize.cbSize = 4;
    wrongSize.dwFlags = win::SKF_STICKYKEYSON;
    EXPECT_FALSE(win::SystemParametersInfoA(win::SPI_SETSTICKYKEYS, sizeof wrongSize, &wrongSize, 0));
    EXPECT_FALSE(win::SystemParametersInfoA(win::SPI_GETSTICKYKEYS, sizeof wrongSize, &wrongSize, 0));
    EXPECT_EQ(wrongSize.dwFlags, win::SKF_STICKYKEYSON) << "a refused get writes nothing";
    EXPECT_FALSE(win::SystemParametersInfoA(win::SPI_SETTOGGLEKEYS, 0, nullptr, 0));
    EXPECT_FALSE(win::SystemParametersInfoA(0x9999, 0, nullptr, 0));
    EXPECT_EQ(Get<win::STICKYKEYS>(win::SPI_GETSTICKYKEYS).dwFlags & win::SKF_STICKYKEYSON, 0u);
}

TEST_F(AccessibilityTest, ScreenSaverFlagIsRecorded)
{
    EXPECT_FALSE(win::ScreenSaverRunningFlag());
    EXPECT_TRUE(win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 1, nullptr, 0));
    EXPECT_TRUE(win::ScreenSaverRunningFlag());
    int previous = -1;
    EXPECT_TRUE(win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 0, &previous, 0));
    EXPECT_EQ(previous, 1);
    EXPECT_FALSE(win::ScreenSaverRunningFlag());
}
} // namespace
