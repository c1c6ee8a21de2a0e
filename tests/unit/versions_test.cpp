#include <gtest/gtest.h>

#include "common/setup_log.h"
#include "install/versions.h"

namespace {

TEST(Versions, FormatPutsTheHighHalfFirstWithoutPadding) {
    EXPECT_EQ(install::FormatVersion({6u << 16 | 0u, 8169u << 16 | 0u}), L"6.0.8169.0");
    EXPECT_EQ(install::FormatVersion({40000u << 16 | 65535u, 1u << 16 | 2u}), L"40000.65535.1.2");
    EXPECT_EQ(install::FormatVersion({0, 0}), L"0.0.0.0");
}

TEST(Versions, OlderIsDecidedNumericallyPartByPart) {
    EXPECT_TRUE(install::IsOlderVersion(L"6.0.81.69", L"6.0.88.62"));
    EXPECT_TRUE(install::IsOlderVersion(L"6.0.9.0", L"6.0.81.69"));
    EXPECT_FALSE(install::IsOlderVersion(L"10.0.0.0", L"9.0.0.0"));
    EXPECT_TRUE(install::IsOlderVersion(L"9.0.0.0", L"10.0.0.0"));
    EXPECT_FALSE(install::IsOlderVersion(L"1.2.3.4", L"1.2.3.4"));
    EXPECT_TRUE(install::IsOlderVersion(L"1.2.3.4", L"1.2.3.5"));
    EXPECT_TRUE(install::IsOlderVersion(L"65535.0.0.0", L"65535.0.0.65535"));
    EXPECT_TRUE(install::IsOlderVersion(L"1.0.0.0", L"1.0.0.123456789"));  // nine digits are a number
}

TEST(Versions, TextsThatAreNotFourNumbersNeverCauseAReplacement) {
    // A part of ten digits is no version part either (it would not fit Windows' 32 bits).
    for (const wchar_t* bad : {L"", L"1.2.3", L"1.2.3.4.5", L"1..2.3", L"a.b.c.d", L"1.2.3.4 ", L"1.0.0.1234567890"}) {
        EXPECT_FALSE(install::IsOlderVersion(bad, L"9.9.9.9")) << bad;
        EXPECT_FALSE(install::IsOlderVersion(L"0.0.0.0", bad)) << bad;
    }
}

TEST(LogLine, PadsEveryFieldAndUsesTheGivenSeparators) {
    EXPECT_EQ(suite::FormatLogLine({2026, 1, 2, 3, 4, 5}, L"/", L":", L"copy a b"),
              L"2026/01/02-03:04:05 - copy a b");
    EXPECT_EQ(suite::FormatLogLine({2026, 12, 31, 23, 59, 58}, L".", L".", L""), L"2026.12.31-23.59.58 - ");
}

}  // namespace
