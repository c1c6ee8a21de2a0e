// The picture-codec seam: a JPEG or PNG body whose header has passed, decoded by the
// system's own decoder for that format (no other codec installed on the computer is
// handed it), fitted to the monitor with its shape kept and centred on black.
#pragma once

#include <optional>
#include <string>

#include "app/picture.h"
#include "app/picture_header.h"
#include "app/region.h"

namespace nubilux::win32 {

// False when the codec refuses the body, or finds a size other than the header's. With a
// crop, only that part is taken, scaled to fill the monitor edge to edge.
bool DecodePicture(const std::string& body, const PictureHeader& header, Screen monitor, Canvas& canvas,
                   const std::optional<Crop>& crop = std::nullopt);

}  // namespace nubilux::win32
