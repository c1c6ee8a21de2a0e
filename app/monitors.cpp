#include "app/monitors.h"

#include <algorithm>

#include "common/text.h"

namespace nubilux {

namespace {

constexpr wchar_t kPrimaryFile[] = L"NUBILUX.BMP";

}  // namespace

std::vector<PicturePlan> PlanPictures(const std::vector<Monitor>& monitors, Screen primary) {
    if (monitors.empty()) return {{primary, kPrimaryFile, {}}};
    std::vector<PicturePlan> plan;
    const auto first = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    const Screen primarySize = first != monitors.end() ? first->size : monitors.front().size;
    plan.push_back({primarySize, kPrimaryFile, {}});
    for (const Monitor& monitor : monitors) {
        auto same = std::find_if(plan.begin(), plan.end(), [&](const PicturePlan& p) { return p.size == monitor.size; });
        if (same == plan.end()) {
            const std::wstring name = L"NUBILUX-" + suite::Decimal(monitor.size.width) + L"x" +
                                      suite::Decimal(monitor.size.height) + L".BMP";
            same = plan.insert(plan.end(), {monitor.size, name, {}});
        }
        same->monitors.push_back(monitor.id);
    }
    return plan;
}

std::vector<Screen> PlannedSizes(const std::vector<PicturePlan>& plan) {
    std::vector<Screen> sizes;
    for (const PicturePlan& picture : plan) sizes.push_back(picture.size);
    return sizes;
}

std::optional<WallpaperPosition> PositionToSet(int current) {
    switch (static_cast<WallpaperPosition>(current)) {
    case WallpaperPosition::Center:
    case WallpaperPosition::Stretch:
    case WallpaperPosition::Fit:
    case WallpaperPosition::Fill: return std::nullopt;
    case WallpaperPosition::Tile:
    case WallpaperPosition::Span: break;
    }
    return WallpaperPosition::Fill;
}

std::optional<DesktopStyle> DesktopStyleToSet(const std::wstring& wallpaperStyle, const std::wstring& tileWallpaper) {
    const std::wstring_view style = suite::TrimBlanks(wallpaperStyle);
    const bool tiled = suite::TrimBlanks(tileWallpaper) == L"1";
    // No style set is centred, as Windows reads it.
    if (!tiled && (style.empty() || style == L"0" || style == L"2" || style == L"6" || style == L"10"))
        return std::nullopt;
    return DesktopStyle{L"10", L"0"};
}

}  // namespace nubilux
