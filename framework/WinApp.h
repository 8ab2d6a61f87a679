#pragma once
// CWinApp: the one global application object. The library's wWinMain calls its
// InitInstance, runs a message loop only if that returns TRUE, then ExitInstance.
#include "CmdTarget.h"

#include <exception>
#include <string>

class CWnd;

// The help command of the application's menu and dialogs.
inline constexpr UINT kIdHelp = 0xE146;  // 57670

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The program's exit code, m_ExitCode unless overridden.
    virtual int ExitInstance() { return static_cast<int>(m_ExitCode); }
    // The message loop, when InitInstance keeps the application running.
    virtual int Run();

    // The wait cursor; calls nest, the last End restores the cursor of the first Begin.
    // They work without an application object as well.
    static void BeginWaitCursor();
    static void EndWaitCursor();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    // What the program ends with when InitInstance returns FALSE (0 unless set).
    unsigned long m_ExitCode = 0;

protected:
    const MessageMap* GetMessageMap() const override;
    // The framework's help handler: the installer ships no help file, so it does nothing.
    LRESULT OnHelp(WPARAM, LPARAM);
};

// The application object, or null if the program defines none.
CWinApp* AfxGetApp();

// The executable's file name without directory and extension.
std::wstring AfxGetAppName();

// The application's message box: owned by the main window (else the active one),
// caption the application's name. Returns the pressed button.
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK, UINT helpId = 0);

// Raised only when memory runs out; never crosses a window procedure.
class CMemoryException : public std::exception {
public:
    const char* what() const noexcept override { return "out of memory"; }
};
[[noreturn]] void AfxThrowMemoryException();

// Shows the wait cursor for the life of the object.
class CWaitCursor {
public:
    CWaitCursor() { CWinApp::BeginWaitCursor(); }
    ~CWaitCursor() { CWinApp::EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore() { ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }
};
