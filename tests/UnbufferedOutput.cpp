// Linked into every Windows test program. A program that hangs is killed by
// its time limit, and what it printed until then must be in the log: the C
// runtime buffers output to a file in full, so the test programs write theirs
// at once.
#include <cstdio>

namespace {
const int kUnbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return 0;
}();
}  // namespace
