#pragma once
#include <windows.h>
#include <string>

// Writes a shell link file; the COM result of the first failing step, S_OK otherwise.
HRESULT CreateShortcut(std::wstring target, std::wstring linkFile, std::wstring description,
                       std::wstring arguments, int showCommand, int iconIndex);
