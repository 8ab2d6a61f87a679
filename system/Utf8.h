#pragma once
// UTF-8, the encoding of the text files the installers write (the log, the list
// of installed files, the journal of an update).
#include <string>

// The UTF-8 bytes of `text`.
std::string Utf8(const std::wstring& text);
// The text of UTF-8 `bytes`; empty when they are not valid UTF-8.
std::wstring FromUtf8(const std::string& bytes);
