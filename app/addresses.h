// The two addresses the program knows, in one place.
#pragma once

namespace nubilux {

// The satellite picture: a JPEG, fetched through the system's proxy settings.
inline constexpr wchar_t kImageUrl[] = L"http://meteo.quintaris.example/meteo/satellite/image/sat11.jpg";
// The maker's web site, opened from the About window.
inline constexpr wchar_t kWebSite[] = L"http://www.quintaris.example/";

}  // namespace nubilux
