#pragma once
#include <exception>

// Raised when a string cannot be copied for a shell call (E_OUTOFMEMORY).
class CSystemOutOfMemory : public std::exception {
public:
    const char* what() const noexcept override { return "out of memory"; }
};
