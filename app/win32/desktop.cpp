#include "app/win32/desktop.h"

#include <windows.h>

#include <netlistmgr.h>
#include <objbase.h>

#include "app/win32/desktop_wallpaper.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

// The Network List Manager's identifiers, spelled out so that no import library is needed.
constexpr CLSID kNetworkListManager = {0xdcb00c01, 0x570f, 0x4a9b, {0x8d, 0x69, 0x19, 0x9f, 0xdb, 0xa5, 0x72, 0x3b}};
constexpr IID kNetworkCostManager = {0xdcb00008, 0x570f, 0x4a9b, {0x8d, 0x69, 0x19, 0x9f, 0xdb, 0xa5, 0x72, 0x3b}};

// How long one window may take over the news of a new wallpaper.
constexpr UINT kSettingChangeMs = 1000;

BOOL CALLBACK KeepLargest(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    auto& best = *reinterpret_cast<Screen*>(data);
    if (::GetMonitorInfoW(monitor, &info)) {
        const Screen size{info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top};
        if (static_cast<long long>(size.width) * size.height > static_cast<long long>(best.width) * best.height)
            best = size;
    }
    return TRUE;
}

bool MakeDesktopWallpaper(::win32::ComPtr<DesktopWallpaper>& object) {
    return SUCCEEDED(::CoCreateInstance(kDesktopWallpaperClass, nullptr, CLSCTX_ALL, kDesktopWallpaperInterface,
                                        object.put_void()));
}

}  // namespace

Screen PrimaryScreen() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

Screen LargestScreen() {
    Screen largest = PrimaryScreen();
    ::EnumDisplayMonitors(nullptr, nullptr, KeepLargest, reinterpret_cast<LPARAM>(&largest));
    return largest;
}

std::vector<Monitor> WallpaperMonitors() {
    std::vector<Monitor> monitors;
    ::win32::ComPtr<DesktopWallpaper> wallpaper;
    UINT count = 0;
    if (!MakeDesktopWallpaper(wallpaper) || FAILED(wallpaper->GetMonitorDevicePathCount(&count))) return monitors;
    for (UINT i = 0; i < count; ++i) {
        LPWSTR id = nullptr;
        RECT rect{};
        // A monitor without a device path (a Remote Desktop one) is passed over.
        if (FAILED(wallpaper->GetMonitorDevicePathAt(i, &id)) || !id) continue;
        if (!*id) {
            ::CoTaskMemFree(id);
            continue;
        }
        const std::wstring path = id;
        ::CoTaskMemFree(id);
        // A monitor that is attached but not part of the desktop has no rectangle.
        if (FAILED(wallpaper->GetMonitorRECT(path.c_str(), &rect)) || rect.right <= rect.left ||
            rect.bottom <= rect.top)
            continue;
        monitors.push_back({path, {rect.right - rect.left, rect.bottom - rect.top}, rect.left == 0 && rect.top == 0});
    }
    return monitors;
}

namespace {

// A text value of the user's desktop settings; empty when missing.
std::wstring DesktopValue(const wchar_t* name) {
    wchar_t value[16] = {};
    DWORD bytes = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return L"";
    return value;
}

// The whole desktop's wallpaper, the way every Windows has; laid so that the picture,
// made the primary monitor's size, is neither tiled nor spanned (read when it is set).
bool SetDesktopWallpaper(const std::wstring& path) {
    if (const auto style = DesktopStyleToSet(DesktopValue(L"WallpaperStyle"), DesktopValue(L"TileWallpaper"))) {
        for (const auto& [name, value] : {std::pair{L"WallpaperStyle", &style->wallpaperStyle},
                                          {L"TileWallpaper", &style->tileWallpaper}})
            ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, REG_SZ, value->c_str(),
                              static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    }
    std::wstring file = path;
    // SPIF_SENDWININICHANGE would broadcast with SendMessage, waiting on every window,
    // hung ones too.
    if (!::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(), SPIF_UPDATEINIFILE)) return false;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                          kSettingChangeMs, nullptr);
    return true;
}

}  // namespace

bool SetWallpaper(const std::vector<std::wstring>& monitors, const std::wstring& path, bool primary) {
    if (monitors.empty()) return SetDesktopWallpaper(path);
    ::win32::ComPtr<DesktopWallpaper> wallpaper;
    bool all = MakeDesktopWallpaper(wallpaper);
    // Each monitor's own picture on it alone: never tiled or spanned over the others.
    int position = 0;
    if (all && SUCCEEDED(wallpaper->GetPosition(&position)))
        if (const auto fit = PositionToSet(position)) wallpaper->SetPosition(static_cast<int>(*fit));
    for (const std::wstring& monitor : monitors)
        all = all && SUCCEEDED(wallpaper->SetWallpaper(monitor.c_str(), path.c_str()));
    if (all) return true;
    // The shell's object refuses after a logoff or in a Remote Desktop session, where the
    // old way still works: the whole desktop gets the primary monitor's picture; another
    // monitor's picture is kept for the next update.
    return primary ? SetDesktopWallpaper(path) : true;
}

bool IsMeteredCost(DWORD cost) {
    if (cost == NLM_CONNECTION_COST_UNKNOWN) return false;
    return !(cost & NLM_CONNECTION_COST_UNRESTRICTED) ||
           (cost & (NLM_CONNECTION_COST_ROAMING | NLM_CONNECTION_COST_OVERDATALIMIT)) != 0;
}

bool MeteredConnection() {
    ::win32::ComPtr<INetworkCostManager> manager;
    DWORD cost = 0;
    if (FAILED(::CoCreateInstance(kNetworkListManager, nullptr, CLSCTX_ALL, kNetworkCostManager, manager.put_void())) ||
        FAILED(manager->GetCost(&cost, nullptr)))
        return false;
    return IsMeteredCost(cost);
}

ClockZone UserClockZone() {
    // The zone's key places the user; the home country only picks among a key's places.
    // Its own coordinates are never asked: one point for a whole country, New York and
    // Honolulu alike.
    ClockZone zone{L"", L"", 0};
    DYNAMIC_TIME_ZONE_INFORMATION info{};
    if (::GetDynamicTimeZoneInformation(&info) != TIME_ZONE_ID_INVALID) {
        zone.key = info.TimeZoneKeyName;
        zone.standardBiasMinutes = info.Bias + info.StandardBias;
    }
    wchar_t territory[8]{};
    const GEOID nation = ::GetUserGeoID(GEOCLASS_NATION);
    if (nation != GEOID_NOT_AVAILABLE && ::GetGeoInfoW(nation, GEO_ISO2, territory, 8, 0) > 0) zone.territory = territory;
    return zone;
}

}  // namespace nubilux::win32
