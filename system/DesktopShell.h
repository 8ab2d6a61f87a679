#pragma once
#include <windows.h>

// The desktop shell's active IShellView, queried for iid. COM result code.
HRESULT GetDesktopShellView(REFIID iid, void** object);
// The desktop view's background automation object, queried for iid. COM result code.
HRESULT GetDesktopViewObject(REFIID iid, void** object);
// Starts file through the running desktop shell, so the shell's process is its
// parent. COM result code; throws CSystemOutOfMemory when a string cannot be copied.
HRESULT ShellExecuteViaDesktop(const wchar_t* file, const wchar_t* arguments, const wchar_t* directory,
                               const wchar_t* verb, int showCommand);
