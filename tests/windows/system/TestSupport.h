#pragma once
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

// A fresh empty folder under the temp directory, removed with its contents afterwards.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    // The folder with a trailing backslash, followed by name.
    std::wstring Path(const wchar_t* name = L"") const { return m_Path + name; }

private:
    std::wstring m_Path;
};

// COM in a single-threaded apartment, as the dialog's thread has it.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

// The folder this test program lives in, with a trailing backslash.
std::wstring ProgramFolder();
void WriteTextFile(const std::wstring& path, const char* text);
