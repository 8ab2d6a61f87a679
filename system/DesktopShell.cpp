#include "DesktopShell.h"

#include "ComPtr.h"
#include "OutOfMemory.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace {

// A desktop shell that is still starting (at logon, or after it was restarted)
// has not registered its windows yet; it is given this long.
const DWORD kShellStartMs = 5000;

// The desktop shell's window object; S_FALSE while it has none.
HRESULT FindDesktopWindow(CComPtr<IDispatch>& dispatch) {
    CComPtr<IShellWindows> windows;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, windows.ReceiveVoid());
    if (hr != S_OK) return hr;
    CVariant location;
    location.Ref().vt = VT_I4;
    location.Ref().lVal = CSIDL_DESKTOP;
    CVariant root;
    long window = 0;
    return windows->FindWindowSW(location.Get(), root.Get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 dispatch.Receive());
}

}  // namespace

HRESULT GetDesktopShellView(REFIID iid, void** object) {
    *object = nullptr;
    CComPtr<IDispatch> dispatch;
    HRESULT hr = FindDesktopWindow(dispatch);
    // No shell yet: its class is not registered, or it has no desktop window.
    for (DWORD waited = 0; (hr == REGDB_E_CLASSNOTREG || hr == S_FALSE) && waited < kShellStartMs;
         waited += 100) {
        Sleep(100);
        hr = FindDesktopWindow(dispatch);
    }
    if (hr != S_OK) return hr;

    CComPtr<IServiceProvider> provider;
    if (!dispatch || dispatch->QueryInterface(IID_IServiceProvider, provider.ReceiveVoid()) != S_OK ||
        !provider)
        return E_NOINTERFACE;

    CComPtr<IShellBrowser> browser;
    hr = provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.ReceiveVoid());
    if (hr != S_OK) return hr;

    CComPtr<IShellView> view;
    hr = browser->QueryActiveShellView(view.Receive());
    if (hr != S_OK) return hr;
    return view->QueryInterface(iid, object);
}

HRESULT GetDesktopViewObject(REFIID iid, void** object) {
    *object = nullptr;
    CComPtr<IShellView> view;
    HRESULT hr = GetDesktopShellView(IID_IShellView, view.ReceiveVoid());
    if (hr != S_OK) return hr;
    CComPtr<IDispatch> background;
    hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid());
    if (hr != S_OK) return hr;
    return background->QueryInterface(iid, object);
}

namespace {

// A VT_BSTR copy of text; a null text stays a null BSTR.
void SetBstrVariant(CVariant& variant, const wchar_t* text) {
    BSTR copy = SysAllocString(text);
    if (text != nullptr && copy == nullptr) throw CSystemOutOfMemory();
    variant.Ref().vt = VT_BSTR;
    variant.Ref().bstrVal = copy;
}

}  // namespace

HRESULT ShellExecuteViaDesktop(const wchar_t* file, const wchar_t* arguments, const wchar_t* directory,
                               const wchar_t* verb, int showCommand) {
    CComPtr<IShellFolderViewDual> folderView;
    HRESULT hr = GetDesktopViewObject(IID_IShellFolderViewDual, folderView.ReceiveVoid());
    if (hr != S_OK) return hr;
    CComPtr<IDispatch> application;
    hr = folderView->get_Application(application.Receive());
    if (hr != S_OK) return hr;
    CComPtr<IShellDispatch2> shell;
    if (!application || application->QueryInterface(IID_IShellDispatch2, shell.ReceiveVoid()) != S_OK ||
        !shell)
        return E_NOINTERFACE;

    CVariant show;
    show.Ref().vt = VT_I4;
    show.Ref().lVal = showCommand;
    CVariant operation;
    SetBstrVariant(operation, verb);
    CVariant folder;
    SetBstrVariant(folder, directory);
    CVariant args;
    SetBstrVariant(args, arguments);
    CBstr fileName;
    fileName.Attach(SysAllocString(file));
    if (file != nullptr && fileName.Get() == nullptr) throw CSystemOutOfMemory();

    // The holders free the BSTR and clear the VARIANTs after the call.
    return shell->ShellExecute(fileName.Get(), args.Ref(), folder.Ref(), operation.Ref(), show.Ref());
}
