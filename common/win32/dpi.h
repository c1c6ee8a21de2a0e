// The screen's scale for each window. The programs are per-monitor aware: a window
// follows the DPI of the monitor it is on, and monitors are measured in real pixels.
// Windows before 10 (1607) lack the calls: there the system's one DPI stands for all.
#pragma once

#include <windows.h>

namespace win32 {

// The DPI of the monitor the window is on.
UINT WindowDpi(HWND window);
// The DPI the shell's own pictures (the notification area) are drawn at.
UINT SystemDpi();
// GetSystemMetrics at the given DPI.
int MetricAt(int index, UINT dpi);
// AdjustWindowRectEx at the given DPI.
BOOL AdjustWindowRectAt(RECT* rect, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace win32
