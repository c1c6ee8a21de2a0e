#include "app/win32/platform.h"

#include <shlobj.h>

#include <algorithm>
#include <functional>

#include "app/config.h"
#include "app/views.h"
#include "app/zones.h"
#include "app/win32/clock.h"
#include "app/win32/desktop.h"
#include "app/win32/messages.h"
#include "common/text.h"
#include "common/win32/profile_store.h"
#include "common/win32/startup.h"
#include "common/win32/utf8.h"

namespace nubilux::win32 {

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

// A helper that the shell or a service keeps longer is ended, and the last answer stands.
constexpr DWORD kHelperMs = 10'000;

// How often a running attempt's news is looked for, besides when its worker ends.
constexpr UINT kPollMs = 100;

// A helper's answer in its words; nothing when it is not one.
template <typename T>
std::function<std::optional<T>(const std::string&)> Reader(std::optional<T> (*read)(std::wstring_view)) {
    return [read](const std::string& said) -> std::optional<T> {
        const auto text = ::win32::FromUtf8(said);
        return text ? read(*text) : std::nullopt;
    };
}

}  // namespace

Platform::Platform(HWND window)
    : window_(window), userFolder_(UserFolder()),
      monitors_(::win32::ProgramPath(), L"/MONITORS", Reader(&ReadMonitors), {}, kHelperMs),
      metered_(::win32::ProgramPath(), L"/METERED", Reader(&ReadMetered), false, kHelperMs),
      // A list that is not one is unknown, not the last one: then nothing is hung up.
      connections_(::win32::ProgramPath(), L"/CONNECTIONS",
                   [read = Reader(&ReadConnections)](const std::string& said) { return std::optional(read(said)); },
                   std::nullopt, kHelperMs) {
    for (const std::wstring& folder : {::win32::ProgramFolder(), userFolder_})
        if (!folder.empty()) RemoveWorkerLeftovers(folder);
    // Asked now, so that the first update has their answers even when its own come late.
    monitors_.Get(0);
    metered_.Get(0);
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
    if (offset.drawn) Keep(kHourOffsetKey, suite::Decimal(offset.seconds));
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

void Platform::HangUp(const std::wstring& entryName) {
    if (auto helper = HelperProcess::Start(::win32::ProgramPath(), L"/HANGUP " + EntryArgument(entryName))) {
        hangUps_.push_back(std::move(helper));
        ::SetTimer(window_, kPollTimerId, kPollMs, nullptr);
    }
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
    auto attempt = AttemptProcess::Start(window_, order, ::win32::ProgramPath(), OrderFolder());
    if (!attempt) return nullptr;
    attempts_.push_back(attempt);
    ::SetTimer(window_, kPollTimerId, kPollMs, nullptr);
    return attempt;
}

void Platform::Poll() {
    for (const auto& attempt : attempts_) attempt->Poll();
    std::erase_if(attempts_, [](const auto& attempt) { return attempt->Finished(); });
    std::erase_if(hangUps_, [](const auto& helper) { return helper->Wait(0); });
    if (attempts_.empty() && hangUps_.empty()) ::KillTimer(window_, kPollTimerId);
}

std::vector<HANDLE> Platform::Waiting() const {
    std::vector<HANDLE> handles;
    for (const auto& attempt : attempts_)
        if (!attempt->Finished()) handles.push_back(attempt->Process());
    return handles;
}

std::wstring Platform::OrderFolder() const {
    if (!userFolder_.empty()) return userFolder_;
    wchar_t temporary[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temporary);
    return length && length <= MAX_PATH ? std::wstring(temporary, length - 1) : L".";
}

}  // namespace nubilux::win32
