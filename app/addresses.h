// The maker's web site, opened from the About window. The picture's sources are in sources.h.
#pragma once

namespace nubilux {

inline constexpr wchar_t kWebSite[] = L"http://www.quintaris.example/";

}  // namespace nubilux
