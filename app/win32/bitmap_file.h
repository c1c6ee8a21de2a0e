// The bitmap-file seam: the canvas written to a temporary file, flushed to the disk, and
// moved over the picture in one step, so that a power cut or a full disk never leaves a
// cut or empty NUBILUX.BMP where the previous picture was.
#pragma once

#include <windows.h>

#include <string>

#include "app/attempt.h"
#include "app/picture.h"

namespace nubilux::win32 {

// The canvas as a 24-bit bitmap in a new temporary file of folder, flushed: its path, or
// empty (nothing left behind) with the reason.
std::wstring WriteTemporaryBitmap(const std::wstring& folder, const Canvas& canvas, Reason& why);

// The temporary file moved over target, written through; false with the reason.
bool ReplaceWith(const std::wstring& temporary, const std::wstring& target, Reason& why);

// The reason a file that could not be written, flushed or replaced stands for.
Reason ReasonForFileError(DWORD code);

}  // namespace nubilux::win32
