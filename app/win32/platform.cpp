#include "app/win32/platform.h"

#include <ras.h>
#include <shlobj.h>

#include "app/config.h"
#include "app/views.h"
#include "app/zones.h"
#include "app/win32/clock.h"
#include "app/win32/desktop.h"
#include "common/text.h"
#include "common/win32/profile_store.h"
#include "common/win32/startup.h"
#include "common/win32/utf8.h"

namespace nubilux::win32 {

using ::win32::ProcAddress;

std::wstring UserFolder() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local))) return L"";
    const std::wstring own = std::wstring(local) + L"\\Nubilux";
    ::CreateDirectoryW(own.c_str(), nullptr);
    return own;
}

// Beside the program, as ever; but a standard user may not write Program Files, and then
// the attempt puts the picture in the user's own application data.
std::vector<std::wstring> ImageTargets(const std::wstring& fileName) {
    std::vector<std::wstring> targets{suite::JoinPath(::win32::ProgramFolder(), fileName)};
    const std::wstring own = UserFolder();
    if (!own.empty() && suite::JoinPath(own, fileName) != targets.front()) targets.push_back(suite::JoinPath(own, fileName));
    return targets;
}

namespace {

// How long the window waits for the shell or a service before it takes their last answer
// (none yet: one wallpaper for the whole desktop; not metered; the dial-up list unknown).
constexpr DWORD kAskMs = 250;

// A helper that the shell keeps longer is ended, and the last list stands.
constexpr DWORD kHelperMs = 10'000;

// The shell's monitors, asked in a helper process: its cross-process calls leave nothing of
// the system's in Nubilux, and a hung Explorer is ended with the helper. Nothing when there
// is no whole list.
std::optional<std::vector<Monitor>> MonitorsOfTheShell() {
    const auto output = HelperOutput(::win32::ProgramPath(), L"/MONITORS", kHelperMs);
    const auto text = output ? ::win32::FromUtf8(*output) : std::nullopt;
    return text ? ReadMonitors(*text) : std::nullopt;
}

// The remote-access connections as RasMan, a Windows service, lists them.
std::optional<std::vector<Connection>> ListConnections() {
    std::vector<Connection> open;
    // Without the remote-access library there is no dial-up, so nothing is open.
    const ::win32::UniqueModule rasapi = ::win32::LoadSystemLibrary(L"rasapi32.dll");
    const auto enumerate = ProcAddress<decltype(&::RasEnumConnectionsW)>(rasapi.get(), "RasEnumConnectionsW");
    if (!enumerate) return open;
    std::vector<RASCONNW> records(64);
    records[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNW)), count = 0;
    if (enumerate(records.data(), &bytes, &count) != ERROR_SUCCESS) return std::nullopt;
    for (DWORD i = 0; i < count && i < records.size(); ++i)
        open.push_back({records[i].szEntryName, reinterpret_cast<std::uintptr_t>(records[i].hrasconn),
                        ::CompareStringOrdinal(records[i].szDeviceType, -1, RASDT_Vpn, -1, TRUE) == CSTR_EQUAL});
    return open;
}

DWORD WINAPI HangUpAside(void* handle) noexcept {
    const ::win32::UniqueModule rasapi = ::win32::LoadSystemLibrary(L"rasapi32.dll");
    if (const auto hangUp = ProcAddress<decltype(&::RasHangUpW)>(rasapi.get(), "RasHangUpW"))
        hangUp(static_cast<HRASCONN>(handle));
    return 0;
}

}  // namespace

Platform::Platform(HWND window)
    : window_(window), userFolder_(UserFolder()), monitors_(MonitorsOfTheShell, {}),
      metered_([] { return std::optional(MeteredConnection()); }, false),
      connections_([] { return std::optional(ListConnections()); }, std::nullopt) {
    for (const std::wstring& folder : {::win32::ProgramFolder(), userFolder_})
        if (!folder.empty()) RemoveWorkerLeftovers(folder);
}

std::wstring Platform::Setting(const wchar_t* key) const {
    ::win32::ProfileStore store;
    return ReadSetting(store, userFolder_, ::win32::ProgramFolder(), key);
}

int Platform::HourOffsetSeconds() {
    ::win32::ProfileStore store;
    const std::wstring beside = MakeReader(store, ::win32::ProgramFolder()).File_INI_Leggi(kSection, kHourOffsetKey);
    const std::wstring kept =
        userFolder_.empty() ? L"" : MakeReader(store, userFolder_).File_INI_Leggi(kSection, kHourOffsetKey);
    // Drawn once for this installation: the fine clock's count will do.
    LARGE_INTEGER count{};
    ::QueryPerformanceCounter(&count);
    const HourOffset offset = ChooseHourOffset(beside, kept, static_cast<unsigned>(count.QuadPart ^ (count.QuadPart >> 32)));
    if (offset.drawn) Keep(kHourOffsetKey, std::to_wstring(offset.seconds));
    return offset.seconds;
}

Kept Platform::ReadKept() {
    return {StartsAutomatic(Setting(kKey)), Setting(kRegionKey) == L"1",
            {Setting(kLastUpdateKey), Setting(kLastSourceKey), Setting(kPictureTimeKey)}, HourOffsetSeconds()};
}

// A list that does not come in time is unknown: then nothing is hung up.
std::optional<std::vector<Connection>> Platform::EnumConnections() {
    auto listed = connections_.Fresh(kAskMs);
    return listed ? std::move(*listed) : std::nullopt;
}

void Platform::HangUp(std::uintptr_t handle) {
    ::win32::UniqueHandle(::CreateThread(nullptr, 0, HangUpAside, reinterpret_cast<void*>(handle), 0, nullptr));
}

std::optional<Region> Platform::UsersRegion() const {
    const ClockZone zone = UserClockZone();
    return ChooseRegion(Setting(kCentreKey), Setting(kRegionWidthKey), PlaceOfZone(zone.key, zone.territory));
}

UpdateRun Platform::PlanUpdate(bool region) {
    const std::vector<PicturePlan> pictures = PlanPictures(monitors_.Get(kAskMs), PrimaryScreen());
    // The views by distance from the region's centre, or from the user's zone.
    const std::optional<Region> place = region ? UsersRegion() : std::nullopt;
    const double longitude = place ? place->centre.longitude : LongitudeOf(UserClockZone());
    const std::vector<View> views = ViewOrder(ViewNamed(Setting(kViewKey)), longitude);
    const std::wstring own = Setting(kAddressKey);
    const std::int64_t now = NowUtc();
    const Screen largest = LargestScreen();
    UpdateRun run;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const PicturePlan& picture = pictures[i];
        run.pictures.push_back({{picture.size, largest, ImageTargets(picture.fileName)},
                                picture.monitors,
                                SourcesFor(own, views, picture.size, now, static_cast<int>(i), place ? &*place : nullptr)});
    }
    return run;
}

std::vector<Screen> Platform::MonitorSizes() { return PlannedSizes(PlanPictures(monitors_.Get(kAskMs), PrimaryScreen())); }

bool Platform::Metered() { return metered_.Get(kAskMs); }

// Written where a standard user may write; a file that cannot be written is passed over.
void Platform::Keep(const wchar_t* key, const std::wstring& value) {
    if (userFolder_.empty()) return;
    const std::wstring file = suite::JoinPath(userFolder_, kConfigFile);
    ::WritePrivateProfileStringW(kSection, key, value.c_str(), file.c_str());
}

std::wstring Platform::ShowStamp(const std::wstring& stored, bool withDate) { return ShownStamp(stored, withDate); }

std::wstring Platform::LocalStamp(std::int64_t utc) {
    SYSTEMTIME local;
    return LocalTimeOf(utc, local) ? StoredStamp(local) : L"";
}

std::shared_ptr<RunningAttempt> Platform::StartAttempt(const WorkerOrder& order) {
    return AttemptProcess::Start(window_, order, ::win32::ProgramPath(), OrderFolder());
}

std::wstring Platform::OrderFolder() const {
    if (!userFolder_.empty()) return userFolder_;
    wchar_t temporary[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temporary);
    return length && length <= MAX_PATH ? std::wstring(temporary, length - 1) : L".";
}

}  // namespace nubilux::win32
