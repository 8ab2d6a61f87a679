#include "Paths.h"

#include <cwchar>

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

bool IsContainedName(const wchar_t* name) {
    if (!name[0] || IsSeparator(name[0])) return false;  // rooted, or a UNC prefix
    if (wcschr(name, L':')) return false;                // drive letter or stream
    const wchar_t* part = name;
    for (const wchar_t* p = name;; ++p) {
        if (*p == 0 || IsSeparator(*p)) {
            if (p - part == 2 && part[0] == L'.' && part[1] == L'.') return false;
            if (*p == 0) break;
            part = p + 1;
        }
    }
    return true;
}
