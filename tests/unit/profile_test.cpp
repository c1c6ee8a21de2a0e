#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <utility>

#include "app/config.h"
#include "fake_profile.h"
#include "install/description.h"
#include "uninstall/description.h"

namespace {

TEST(ProfileReader, EachProgramReadsItsOwnFileAndGivesItsOwnNothingRead) {
    // The setup programs read the same layout the same way; Nubilux has its own answer.
    test::FakeProfileStore store;
    const auto install = install::MakeReader(store, L"C:\\Setup");
    const auto uninstall = uninstall::MakeReader(store, L"C:\\App");
    const auto nubilux = nubilux::MakeReader(store, L"C:\\App");

    EXPECT_EQ(install.File(), L"C:\\Setup\\Install.ini");
    EXPECT_EQ(uninstall.File(), L"C:\\App\\install.ini");
    EXPECT_EQ(nubilux.File(), L"C:\\App\\Nubilux.ini");

    EXPECT_EQ(install.File_INI_Leggi(L"APPLICATION", L"Name"), L"");
    EXPECT_EQ(uninstall.File_INI_Leggi(L"APPLICATION", L"Name"), L"");
    EXPECT_EQ(nubilux.File_INI_Leggi(L"Nubilux", L"Aggiornamento"), L"-1");
}

TEST(ProfileReader, EmptyValueReadsLikeMissingKey) {
    test::FakeProfileStore store;
    store.Set(L"C:\\App\\Nubilux.ini", L"Nubilux", L"Aggiornamento", L"");
    EXPECT_EQ(nubilux::MakeReader(store, L"C:\\App").File_INI_Leggi(L"Nubilux", L"Aggiornamento"), L"-1");
}

TEST(ProfileReader, ValueIsKeptAsReadWithoutTrimmingOrCaseChange) {
    test::FakeProfileStore store;
    store.Set(L"C:\\App\\install.ini", L"APPLICATION", L"EsecuzioneAutomatica", L"True ");
    const auto uninstall = uninstall::MakeReader(store, L"C:\\App");
    const auto value = uninstall.File_INI_Leggi(L"application", L"esecuzioneautomatica");
    EXPECT_EQ(value, L"True ");
    EXPECT_FALSE(suite::IsTrue(value));
    EXPECT_TRUE(suite::IsTrue(L"TRUE"));
}

// A store that ignores the buffer limit must not widen what the programs see.
class OverlongStore : public suite::ProfileStore {
public:
    std::wstring Read(const std::wstring&, const std::wstring&, const std::wstring&) const override {
        return std::wstring(300, L'x');
    }
};

TEST(ProfileReader, ValueIsCutToTheBuffer) {
    OverlongStore store;
    const auto install = install::MakeReader(store, L"C:\\Setup");
    EXPECT_EQ(install.File_INI_Leggi(L"APPLICATION", L"Name"), std::wstring(254, L'x'));
}

TEST(Text, PathsAndLastComponent) {
    EXPECT_EQ(suite::JoinPath(L"", L"Gruppo"), L"\\Gruppo");
    EXPECT_EQ(suite::JoinPath(L"C:\\P", L""), L"C:\\P\\");
    EXPECT_EQ(suite::LastComponent(L"C:\\Users\\u\\Start Menu\\Programs\\Startup"), L"Startup");
    EXPECT_EQ(suite::LastComponent(L"NoBackslash"), L"NoBackslash");
    EXPECT_EQ(suite::LastComponent(L""), L"");
    EXPECT_EQ(suite::LastComponent(L"C:\\trailing\\"), L"");
}

// Integers as the runtime's printing would write them, the extremes of each width too.
TEST(Text, DecimalsAreWrittenWhole) {
    EXPECT_EQ(suite::Decimal(0), L"0");
    EXPECT_EQ(suite::Decimal(-7), L"-7");
    EXPECT_EQ(suite::Decimal(1920u), L"1920");
    EXPECT_EQ(suite::Decimal(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808");
    EXPECT_EQ(suite::Decimal(std::numeric_limits<std::uint64_t>::max()), L"18446744073709551615");
    EXPECT_EQ(suite::Decimal(std::numeric_limits<int>::min()), L"-2147483648");
    EXPECT_EQ(suite::Decimal(static_cast<unsigned short>(65535)), L"65535");
}

// A number alone, to the last bit as the runtime reads it; anything else is none.
TEST(Text, NumbersAreReadAloneAndExact) {
    const std::pair<const wchar_t*, double> good[] = {
        {L"0", 0.0},       {L" 2.5\t", 2.5},  {L"-1e3", -1000.0},   {L"+.5", 0.5},        {L"41.9", 41.9},
        {L"12.48", 12.48}, {L"007", 7.0},      {L"1E-2", 0.01},      {L"151.22", 151.22},  {L"3.", 3.0},
        {L"123456789012345678901", 123456789012345678901.0},          {L"0.1e1", 1.0},      {L"-0", -0.0},
        {L"2.5e+2", 250.0}};
    for (const auto& [text, value] : good) {
        const auto read = suite::NumberIn(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(*read, value) << text;
    }
    EXPECT_TRUE(std::signbit(*suite::NumberIn(L"-0")));
    // Against the runtime's own reading: to the bit while the power of ten is exact (up to
    // 22 either way), within a rounding or two past it.
    for (int power = -26; power <= 26; ++power)
        for (const auto& [mantissa, decimals] : {std::pair{L"1", 0}, {L"3.7", 1}, {L"-123.456", 3}, {L"9007199254740991", 0}}) {
            const std::wstring text = mantissa + (L"e" + std::to_wstring(power));
            const double runtime = std::wcstod(text.c_str(), nullptr);
            ASSERT_TRUE(suite::NumberIn(text)) << text;
            if (power - decimals >= -22 && power - decimals <= 22)
                EXPECT_EQ(*suite::NumberIn(text), runtime) << text;
            else
                EXPECT_NEAR(*suite::NumberIn(text) / runtime, 1.0, 1e-15) << text;
        }
    for (const wchar_t* bad : {L"", L" ", L".", L"-", L"1e", L"1e+", L"0abc", L"abc", L"1 2", L"1..2", L"--1", L"1e999",
                               L"inf", L"nan", L"0x10", L"1,5"})
        EXPECT_FALSE(suite::NumberIn(bad)) << bad;
}

}  // namespace

namespace {

TEST(IniEncoding, ValidUtf8WithoutAMarkIsUtf8AnythingElseThePlatforms) {
    using suite::IniEncoding;
    EXPECT_EQ(suite::EncodingOf("[APPLICATION]\r\nName=Meteo Citt\xC3\xA0\r\n"), IniEncoding::Utf8);  // Notepad's default
    EXPECT_EQ(suite::EncodingOf("Name=\xE2\x82\xAC \xF0\x9F\x8C\x8D"), IniEncoding::Utf8);  // three and four bytes
    EXPECT_EQ(suite::EncodingOf("[APPLICATION]\r\nName=Nubilux\r\n"), IniEncoding::Platform);  // ASCII reads the same
    EXPECT_EQ(suite::EncodingOf("Name=Citt\xE0\r\n"), IniEncoding::Platform);  // ANSI (Windows-1252)
    EXPECT_EQ(suite::EncodingOf("\xEF\xBB\xBFName=Citt\xC3\xA0"), IniEncoding::Platform);  // marked: the platform's
    EXPECT_EQ(suite::EncodingOf("\xFF\xFEN\0a\0"), IniEncoding::Platform);
    EXPECT_EQ(suite::EncodingOf("Name=\xC3"), IniEncoding::Platform);            // cut short
    EXPECT_EQ(suite::EncodingOf("Name=\xE2\x82"), IniEncoding::Platform);
    EXPECT_EQ(suite::EncodingOf("Name=\xF4\x8F\xBF\xBF"), IniEncoding::Utf8);      // the last code point
    EXPECT_EQ(suite::EncodingOf("Name=\xC2\x80"), IniEncoding::Utf8);              // the first of two bytes
    EXPECT_EQ(suite::EncodingOf("Name=\xE0\xA0\x80"), IniEncoding::Utf8);          // the first of three
    EXPECT_EQ(suite::EncodingOf("Name=\xED\xBF\xBF"), IniEncoding::Platform);      // the last surrogate
    EXPECT_EQ(suite::EncodingOf("Name=\xC1\xBF\xBF\xBF"), IniEncoding::Platform);  // a lead no sequence has
    EXPECT_EQ(suite::EncodingOf("Name=\xF4\x90\x80\x80"), IniEncoding::Platform);  // one past it
    EXPECT_EQ(suite::EncodingOf("Name=\xF5\x80\x80\x80"), IniEncoding::Platform);
    EXPECT_EQ(suite::EncodingOf("Name=\xC0\xAF"), IniEncoding::Platform);        // overlong
    EXPECT_EQ(suite::EncodingOf("Name=\xED\xA0\x80"), IniEncoding::Platform);    // a surrogate
    EXPECT_EQ(suite::EncodingOf("Name=\xC3\xA0 \xE0"), IniEncoding::Platform);   // mixed
}

}  // namespace
