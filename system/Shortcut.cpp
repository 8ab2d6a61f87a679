#include "Shortcut.h"

#include "ComPtr.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

HRESULT CreateShortcut(std::wstring target, std::wstring linkFile, std::wstring description,
                       std::wstring arguments, int showCommand, int iconIndex) {
    CComPtr<IShellLinkW> link;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.ReceiveVoid());
    if (hr != S_OK) return hr;  // the holder releases whatever came back
    // Setter results are not examined: Save reports what matters.
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetShowCmd(showCommand);
    link->SetIconLocation(target.c_str(), iconIndex);
    link->SetDescription(description.c_str());
    CComPtr<IPersistFile> file;
    if (link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()) != S_OK || !file) return E_NOINTERFACE;
    return file->Save(linkFile.c_str(), TRUE);
}
