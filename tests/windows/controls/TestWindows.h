#pragma once
// Helpers shared by the window tests: a plain top-level parent window taken over
// by a CWnd, a message pump, and a timer that reads and closes a message box.
#include "Wnd.h"

#include <functional>
#include <string>

// A visible window of the test's own class (a child of one shared top-level
// window), subclassed by `wrapper`.
HWND CreateTestParent(CWnd& wrapper, int x, int y, int width, int height);

// Dispatches this thread's messages for the given time.
void PumpMessages(DWORD milliseconds);

// Dispatches messages until done() holds or the time is over; the milliseconds
// it took, or -1 if it never held.
long PumpUntil(DWORD milliseconds, const std::function<bool()>& done);

// Runs show() (which blocks in a message box of this thread); a timer in the box's
// own loop finds it by caption, reads its text and presses OK, however late it
// comes. The text, or empty if no box came.
std::wstring ReadAndCloseMessageBox(const std::wstring& caption, const std::function<void()>& show);

// The test program's name, the caption of the application's message box.
inline const wchar_t kProgramName[] = L"win_controls_tests";
