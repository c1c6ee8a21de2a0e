// The picture-codec seam: a JPEG or PNG body whose header has passed, decoded by the
// system's own decoder for that format (no other codec installed on the computer is
// handed it), fitted to the monitor with its shape kept and centred on black.
#pragma once

#include <string>

#include "app/picture.h"
#include "app/picture_header.h"

namespace nubilux::win32 {

// False when the codec refuses the body, or finds a size other than the header's.
bool DecodePicture(const std::string& body, const PictureHeader& header, Screen monitor, Canvas& canvas);

}  // namespace nubilux::win32
