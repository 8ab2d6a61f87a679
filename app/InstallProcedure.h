#pragma once
// The installation itself, one procedure for the dialog's button and for a quiet
// run: each reports through its CReport, the dialog as boxes, a quiet run to
// its log and its exit code.
#include <cstdint>
#include <string>
#include <vector>

#include "ExtractResource.h"
#include "Report.h"

// The per-file filter of the installation: keeps sounds the user already has.
int32_t PreserveExistingSounds(Cabinet::FileInfo* file, void* userParam);

// Where Vantrelle goes: the Program Files folder (of the program's width) and
// "Vantrelle\"; a relative "Vantrelle\" when Program Files cannot be found.
std::wstring InstallDirectory();

// Installs into `dir` (ending in a backslash) with the payload's key, step by
// step; the first failure is reported and ends the run. True once installed.
// The caller's engine extracts the payload: the caller decides how long it lives.
// With `closeOpen`, Vantrelle and its help are closed where they are open
// (OpenPrograms.h), and `closed` lists the programs to start again, whether
// the run installs or not.
bool InstallVantrelle(const std::wstring& dir, const unsigned char* key, Cabinet::CExtractResource& engine,
                      CReport& report, bool closeOpen, std::vector<std::wstring>& closed);
