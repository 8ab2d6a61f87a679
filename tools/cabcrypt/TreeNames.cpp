#include "TreeNames.h"

#include <cctype>
#include <vector>

namespace Cabinet {

namespace {

bool IsValidUtf8(const std::string& s) {
    static const unsigned long kMin[4] = {0, 0x80, 0x800, 0x10000};
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra;
        if (c < 0x80)
            extra = 0;
        else if ((c >> 5) == 6)
            extra = 1;
        else if ((c >> 4) == 14)
            extra = 2;
        else if ((c >> 3) == 30)
            extra = 3;
        else
            return false;
        if (s.size() - i <= extra) return false;
        unsigned long cp = extra == 0 ? c : c & (0x3Fu >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

bool IsReservedDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    for (auto& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::string CheckStorableName(const std::string& relative) {
    // The cabinet format keeps at most 256 bytes of a name, terminator included.
    if (relative.empty()) return "empty name";
    if (relative.size() > 255) return "longer than the 255 bytes a cabinet can store";
    if (!IsValidUtf8(relative)) return "not valid UTF-8";
    if (relative.front() == '/') return "an absolute path would leave the install folder";
    std::vector<std::string> components;
    size_t start = 0;
    while (true) {
        size_t slash = relative.find('/', start);
        components.push_back(relative.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    for (const std::string& part : components) {
        if (part.empty()) return "an empty path component";
        if (part == "." || part == "..") return "a \"" + part + "\" component would leave the install folder";
        for (unsigned char c : part) {
            if (c < 0x20) return "a control character, which Windows names cannot hold";
            if (c == '\\') return "a backslash, which Windows reads as a folder separator";
            if (c == ':') return "a colon, which Windows reads as a drive or stream";
            if (std::string("<>\"|?*").find(static_cast<char>(c)) != std::string::npos)
                return std::string("the character '") + static_cast<char>(c) +
                       "', which Windows names cannot hold";
        }
        if (part.back() == '.' || part.back() == ' ')
            return "a name ending in a dot or blank, which Windows drops";
        if (IsReservedDeviceName(part)) return "\"" + part + "\" is a reserved device name on Windows";
    }
    return "";
}

}  // namespace Cabinet
