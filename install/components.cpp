#include "install/components.h"

namespace install {

namespace {

// Two rows list a control with a lower-case "ocx" and load it as ".OCX"; a name in
// other letter case matches no row and is deployed without registration.
constexpr Component kComponents[] = {
    {L"MSFLXGRD.ocx", L"MSFLXGRD.OCX", "RegisterMSFLXGRD", "UnRegisterMSFLXGRD"},
    {L"MSVBVM60.DLL", L"MSVBVM60.DLL", "RegisterMSVBVM60", "UnRegisterMSVBVM60"},
    {L"MSWINSCK.ocx", L"MSWINSCK.OCX", "RegisterMSWINSCK", "UnRegisterMSWINSCK"},
    {L"OLEAUT32.DLL", L"OLEAUT32.DLL", "RegisterOLEAUT32", "UnRegisterOLEAUT32"},
    {L"OLEPRO32.DLL", L"OLEPRO32.DLL", "RegisterOLEPRO32", "UnRegisterOLEPRO32"},
    {L"ASYCFILT.DLL", L"ASYCFILT.DLL", "RegisterASYCFILT", "UnRegisterASYCFILT"},
    {L"COMCAT.DLL", L"COMCAT.DLL", "RegisterCOMCAT", "UnRegisterCOMCAT"},
    {L"VB6IT.DLL", L"VB6IT.DLL", "RegisterVB6IT", "UnRegisterVB6IT"},
    {L"IPHLPAPI.DLL", L"IPHLPAPI.DLL", "RegisterIPHLPAPI", "UnRegisterIPHLPAPI"},
    {L"MSCOMCTL.OCX", L"MSCOMCTL.OCX", "RegisterMSCOMCTL", "UnRegisterMSCOMCTL"},
    {L"TABCTL32.OCX", L"TABCTL32.OCX", "RegisterTABCTL32", "UnRegisterTABCTL32"},
    {L"scrrun.dll", L"scrrun.dll", "Registerscrrun", "UnRegisterscrrun"},
    {L"MSINET.OCX", L"MSINET.OCX", "RegisterMSINET", "UnRegisterMSINET"},
    {L"FLASH.OCX", L"FLASH.OCX", "RegisterFLASH", "UnRegisterFLASH"},
    {L"ComDlg32.OCX", L"ComDlg32.OCX", "RegisterComDlg32", "UnRegisterComDlg32"},
    {L"MSHFLXGD.OCX", L"MSHFLXGD.OCX", "RegisterMSHFLXGD", "UnRegisterMSHFLXGD"},
    {L"MSADO15.dll", L"MSADO15.dll", "RegisterMSADO15", "UnRegisterMSADO15"},
    {L"msjro.dll", L"msjro.dll", "Registermsjro", "UnRegistermsjro"},
    {L"msadox.dll", L"msadox.dll", "Registermsadox", "UnRegistermsadox"},
    {L"VB6STKIT.DLL", L"VB6STKIT.DLL", "RegisterVB6STKIT", "UnRegisterVB6STKIT"},
};

}  // namespace

const Component* FindComponent(const std::wstring& listedName) {
    for (const Component& row : kComponents)
        if (listedName == row.listedName) return &row;
    return nullptr;
}

}  // namespace install
