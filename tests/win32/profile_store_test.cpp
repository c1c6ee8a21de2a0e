#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/config.h"
#include "common/win32/profile_store.h"
#include "install/description.h"
#include "temp_folder.h"
#include "uninstall/description.h"

namespace {

using ::testing::ElementsAre;

class RealProfile : public ::testing::Test {
protected:
    test::TempFolder folder;
    win32::ProfileStore store;
};

TEST_F(RealProfile, LongValueIsCutTo254Characters) {
    const std::wstring value(300, L'a');
    folder.WriteAnsi(L"Install.ini", L"[APPLICATION]\r\nName=" + value + L"\r\n");
    const auto ini = install::MakeReader(store, folder.Path());
    EXPECT_EQ(ini.File_INI_Leggi(L"APPLICATION", L"Name"), value.substr(0, 254));
}

TEST_F(RealProfile, EmptyValueReadsLikeMissingKeyInEveryProgram) {
    folder.WriteAnsi(L"Install.ini", L"[APPLICATION]\r\nGruppo=\r\n");
    folder.WriteAnsi(L"Nubilux.ini", L"[Nubilux]\r\nAggiornamento=\r\n");
    EXPECT_EQ(install::MakeReader(store, folder.Path()).File_INI_Leggi(L"APPLICATION", L"Gruppo"), L"");
    // The uninstaller opens "install.ini": the same file, since names ignore case.
    EXPECT_EQ(uninstall::MakeReader(store, folder.Path()).File_INI_Leggi(L"APPLICATION", L"Gruppo"), L"");
    EXPECT_EQ(nubilux::MakeReader(store, folder.Path()).File_INI_Leggi(L"Nubilux", L"Aggiornamento"), L"-1");
}

TEST_F(RealProfile, SectionAndKeyNamesIgnoreCaseButValuesKeepIt) {
    folder.WriteAnsi(L"Install.ini", L"[Application]\r\nsuldesktop=True\r\nGRUPPO=Quintaris\r\n");
    const auto ini = uninstall::MakeReader(store, folder.Path());
    EXPECT_EQ(ini.File_INI_Leggi(L"APPLICATION", L"SulDesktop"), L"True");
    EXPECT_EQ(ini.File_INI_Leggi(L"application", L"Gruppo"), L"Quintaris");
}

TEST_F(RealProfile, MissingFileGivesEachProgramsOwnResult) {
    EXPECT_EQ(install::MakeReader(store, folder.Path()).File_INI_Leggi(L"APPLICATION", L"Name"), L"");
    EXPECT_EQ(uninstall::MakeReader(store, folder.Path()).File_INI_Leggi(L"APPLICATION", L"Name"), L"");
    EXPECT_EQ(nubilux::MakeReader(store, folder.Path()).File_INI_Leggi(L"Nubilux", L"Aggiornamento"), L"-1");
}

TEST_F(RealProfile, AnsiTextComesBackAsWritten) {
    const std::wstring name = L"Meteo \u00e8 gi\u00e0 qui";  // representable in the Western code pages
    folder.WriteAnsi(L"Install.ini", L"[APPLICATION]\r\nName=" + name + L"\r\n");
    EXPECT_EQ(install::MakeReader(store, folder.Path()).File_INI_Leggi(L"APPLICATION", L"Name"),
              win32::FromAnsi(win32::ToAnsi(name)));
}

TEST_F(RealProfile, ComponentListFromARealFile) {
    folder.WriteAnsi(L"Install.ini",
                     L"[LIB]\r\nUses1=A.DLL\r\nUses2=B.OCX\r\nUses4=C.DLL\r\n[APPLICATION]\r\nName=P\r\n");
    const auto ini = install::MakeReader(store, folder.Path());
    EXPECT_THAT(install::Elenco_Componenti(ini), ElementsAre(L"A.DLL", L"B.OCX", L"VB6STKIT.DLL"));
}

}  // namespace
