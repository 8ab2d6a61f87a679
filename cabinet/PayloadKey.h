#pragma once
// The key the payload is sealed with: the dialog hands it to the extraction
// engine, cabcrypt and the build seal the payload with it. Change it here only.
#include <cstdint>

namespace Cabinet {
inline constexpr unsigned char kPayloadKey[10] = {0x5A, 0x17, 0xC3, 0x8E, 0x21, 0x9B, 0x64, 0xF0, 0x3D, 0xA6};
inline constexpr uint32_t kPayloadKeyLength = sizeof(kPayloadKey);
}  // namespace Cabinet
