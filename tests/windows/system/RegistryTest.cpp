#include "Registry.h"
#include "TestSupport.h"

#include <string>

namespace {

// A key path of our own under Software, removed with its subtree afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_Base.c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_Base.c_str());
    }
    std::wstring Key(const wchar_t* below) const { return m_Base + L"\\" + below; }

    std::wstring m_Base = L"Software\\VantrelleSystemTest" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(RegistryTest, ReadOfMissingKeyGivesOpenErrorAndZero) {
    DWORD value = 77;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              ReadRegistryDword(HKEY_CURRENT_USER, Key(L"Missing").c_str(), L"X", value));
    EXPECT_EQ(0u, value);
}

TEST_F(RegistryTest, ReadOfMissingValueGivesQueryErrorAndZero) {
    ASSERT_EQ(0, WriteRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"Other", 5));
    DWORD value = 77;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"X", value));
    EXPECT_EQ(0u, value);
}

TEST_F(RegistryTest, ValueLongerThanFourBytesGivesMoreData) {
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(0, WriteRegistryValue(HKEY_CURRENT_USER, Key(L"K").c_str(), L"Long", REG_BINARY, eight, 8));
    DWORD value = 0;
    EXPECT_EQ(ERROR_MORE_DATA, ReadRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"Long", value));
}

TEST_F(RegistryTest, StoredTypeIsNotExamined) {
    const BYTE four[4] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_EQ(0, WriteRegistryValue(HKEY_CURRENT_USER, Key(L"K").c_str(), L"Bin", REG_BINARY, four, 4));
    DWORD value = 0;
    EXPECT_EQ(0, ReadRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"Bin", value));
    EXPECT_EQ(0x12345678u, value);
}

TEST_F(RegistryTest, WriteUnderMissingSubKeyCreatesWholePath) {
    const std::wstring deep = Key(L"A\\B\\C");
    ASSERT_EQ(0, WriteRegistryDword(HKEY_CURRENT_USER, deep.c_str(), L"V", 11));
    for (const wchar_t* level : {L"A", L"A\\B", L"A\\B\\C"}) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, Key(level).c_str(), 0, KEY_READ, &key))
            << "missing level";
        if (key != nullptr) RegCloseKey(key);
    }
    DWORD type = 0, data = 0, size = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_CURRENT_USER, deep.c_str(), L"V", RRF_RT_ANY, &type, &data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(11u, data);
    // Non-volatile, so it outlives the next start: a volatile key takes no
    // non-volatile key below it.
    HKEY child = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (deep + L"\\Child").c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr));
    if (child != nullptr) RegCloseKey(child);
}

TEST_F(RegistryTest, RoundTripUnderCurrentUser) {
    ASSERT_EQ(0, WriteRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"UpdateCheck", 0xFFFFFFFEu));
    DWORD value = 0;
    EXPECT_EQ(0, ReadRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"UpdateCheck", value));
    EXPECT_EQ(0xFFFFFFFEu, value);
    ASSERT_EQ(0, WriteRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"UpdateCheck", 0));
    EXPECT_EQ(0, ReadRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), L"UpdateCheck", value));
    EXPECT_EQ(0u, value);
}

TEST_F(RegistryTest, RoundTripUnderLocalMachine) {
    ASSERT_EQ(0, WriteRegistryDword(HKEY_LOCAL_MACHINE, Key(L"K").c_str(), L"LastVersion", 53));
    DWORD value = 0;
    EXPECT_EQ(0, ReadRegistryDword(HKEY_LOCAL_MACHINE, Key(L"K").c_str(), L"LastVersion", value));
    EXPECT_EQ(53u, value);
}

TEST_F(RegistryTest, WriteGivesTheFailingCallsCode) {
    // The key cannot be created under a root that is no key.
    EXPECT_NE(0, WriteRegistryDword(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), L"X", L"V", 1));
    // A value name longer than the registry allows (16383 units) fails in the set call.
    const std::wstring longName(20000, L'n');
    EXPECT_NE(0, WriteRegistryDword(HKEY_CURRENT_USER, Key(L"K").c_str(), longName.c_str(), 1));
    // The key was created before the set failed, and stays.
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, Key(L"K").c_str(), 0, KEY_READ, &key));
    if (key != nullptr) RegCloseKey(key);
}

}  // namespace
