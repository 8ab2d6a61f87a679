#pragma once
// The encrypted cabinet container: "CRYP" in place of "MSCF", bytes 4..55 as they
// are, every 8-byte block from offset 56 on enciphered; length a multiple of 8.
// Portable, for the payload tool and the tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Cabinet {

inline constexpr size_t kContainerPlainBytes = 56;

// Turns a plain cabinet into its container in place (fill bytes zero).
// Returns an empty text on success, else what is wrong with the input.
std::string SealContainer(std::vector<unsigned char>& bytes, const unsigned char* key, uint32_t keyLength);

// Turns a container back into the plain cabinet (fill bytes kept) in place.
std::string OpenContainer(std::vector<unsigned char>& bytes, const unsigned char* key, uint32_t keyLength);

}  // namespace Cabinet
