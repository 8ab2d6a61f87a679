#pragma once
#include <cstdint>

#include "Extract.h"

// The per-file filter of the installation: keeps sounds the user already has.
int32_t PreserveExistingSounds(Cabinet::FileInfo* file, void* userParam);
