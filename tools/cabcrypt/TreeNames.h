#pragma once
// Which relative file names of an application tree a cabinet can carry to Windows
// unchanged and inside the install folder.
#include <string>

namespace Cabinet {
// relative: '/'-separated path below the tree. Returns "" when storable, else why not.
std::string CheckStorableName(const std::string& relative);
}  // namespace Cabinet
