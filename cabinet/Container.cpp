#include "Container.h"

#include <cstring>

#include "Blowfish.h"

namespace Cabinet {

namespace {
bool HasMagic(const std::vector<unsigned char>& bytes, const char* magic) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), magic, 4) == 0;
}

std::string PrepareCipher(CBlowfish& cipher, const unsigned char* key, uint32_t keyLength) {
    if (keyLength == 0 || keyLength > 72) return "the key must be 1 to 72 bytes long";
    cipher.SetKey(key, keyLength);
    return {};
}
}  // namespace

std::string SealContainer(std::vector<unsigned char>& bytes, const unsigned char* key, uint32_t keyLength) {
    if (!HasMagic(bytes, "MSCF")) return "not a cabinet: it does not begin with \"MSCF\"";
    if (bytes.size() < kContainerPlainBytes) return "not a cabinet: shorter than its headers";
    if (bytes.size() > 0x7FFFFFF8u) return "cabinet too large for a container";
    CBlowfish cipher;
    std::string error = PrepareCipher(cipher, key, keyLength);
    if (!error.empty()) return error;
    bytes.resize((bytes.size() + 7) / 8 * 8, 0);
    std::memcpy(bytes.data(), "CRYP", 4);
    cipher.Encrypt(bytes.data() + kContainerPlainBytes,
                   static_cast<uint32_t>((bytes.size() - kContainerPlainBytes) / 8));
    return {};
}

std::string OpenContainer(std::vector<unsigned char>& bytes, const unsigned char* key, uint32_t keyLength) {
    if (!HasMagic(bytes, "CRYP")) return "not a container: it does not begin with \"CRYP\"";
    if (bytes.size() < kContainerPlainBytes || bytes.size() % 8 != 0)
        return "not a container: its length is not a multiple of 8 of at least 56 bytes";
    CBlowfish cipher;
    std::string error = PrepareCipher(cipher, key, keyLength);
    if (!error.empty()) return error;
    cipher.Decrypt(bytes.data() + kContainerPlainBytes,
                   static_cast<uint32_t>((bytes.size() - kContainerPlainBytes) / 8));
    std::memcpy(bytes.data(), "MSCF", 4);
    return {};
}

}  // namespace Cabinet
