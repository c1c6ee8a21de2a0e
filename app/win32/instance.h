// One Nubilux per session: a second start brings the running one's window back instead.
#pragma once

#include <optional>

#include "common/win32/unique.h"

namespace nubilux::win32 {

// The session's claim to run Nubilux, held while it runs (empty where the system gives
// none: then it runs unclaimed); nothing when another one runs, which has then been asked
// to show its window (and may come to the front).
std::optional<::win32::UniqueHandle> ClaimTheOneInstance();

}  // namespace nubilux::win32
