// The version test that refuses a Windows outside the NT family.
#include <gtest/gtest.h>

#include "nt_version.h"

TEST(StartupCheck, AcceptsNtFamilyAndRefusesWindows9x)
{
    EXPECT_TRUE(IsNtFamilyVersion(0x1DB10106));   // 6.1.7601
    EXPECT_TRUE(IsNtFamilyVersion(0x4A610A00));   // 10.0
    EXPECT_TRUE(IsNtFamilyVersion(0x08000005));   // 5.0 (2000)
    EXPECT_FALSE(IsNtFamilyVersion(0xC0000A04));  // 4.10 (98)
    EXPECT_FALSE(IsNtFamilyVersion(0xC3000004));  // 4.0 (95)
    EXPECT_FALSE(IsNtFamilyVersion(0xC0005A04));  // 4.90 (Me)
}
