#include <gtest/gtest.h>

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

}  // namespace
