#include "Utf8.h"

#include <windows.h>

std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr,
                            nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& bytes) {
    // A UTF-8 text has at most as many UTF-16 units as it has bytes.
    std::wstring out(bytes.size(), L'\0');
    out.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                       static_cast<int>(bytes.size()), &out[0],
                                                       static_cast<int>(out.size()))));
    return out;
}
