#pragma once
// The display scale a window is drawn at, and the system's sizes at that scale.
// Windows 10 (1607 and later) tells them per monitor; older systems have one
// scale for the whole screen.
#include <windows.h>

// Dots per inch of the window's monitor, else of the screen (96 is 100 %).
UINT WindowDpi(HWND window);

// GetSystemMetrics(index) as at that DPI, else at the screen's.
int SystemMetricForDpi(int index, UINT dpi);

// The height in pixels of the window's font as drawn now; 0 when it has none.
int FontHeight(HWND window);
