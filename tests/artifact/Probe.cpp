// A small GUI program that carries the installer's resources, so the artefact
// check and the resource lookups can be tried without the real installer.
// Exit code 0 when every resource the installer loads is found by the system.
#include <windows.h>

#include "resource.h"

namespace {

bool Has(LPCWSTR type, LPCWSTR name, WORD language) {
    return FindResourceExW(nullptr, type, name, language) != nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    const WORD en = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    int failures = 0;
    failures += !Has(RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN), en);
    failures += !Has(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_MAIN), en);
    failures += !Has(RT_BITMAP, MAKEINTRESOURCEW(IDB_PICTURE), en);
    failures += !Has(RT_RCDATA, MAKEINTRESOURCEW(IDR_PAYLOAD), en);
    failures += LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_MAIN)) == nullptr;

    HBITMAP bitmap = LoadBitmapW(hInstance, MAKEINTRESOURCEW(IDB_PICTURE));
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth != 83 || info.bmHeight != 92)
        ++failures;
    if (bitmap) DeleteObject(bitmap);

    HRSRC payload = FindResourceExW(nullptr, RT_RCDATA, MAKEINTRESOURCEW(IDR_PAYLOAD), en);
    HGLOBAL block = payload ? LoadResource(nullptr, payload) : nullptr;
    const char* bytes = block ? static_cast<const char*>(LockResource(block)) : nullptr;
    if (!bytes || SizeofResource(nullptr, payload) < 64 || bytes[0] != 'C' || bytes[1] != 'R' ||
        bytes[2] != 'Y' || bytes[3] != 'P')
        ++failures;
    return failures;
}
