#pragma once
// The installer's one dialog: tells the user what happens, shows the install
// folder, asks to accept the charityware terms and runs the installation.
#include <string>

#include "HyperLink.h"
#include "Log.h"
#include "framework/Framework.h"

// What the link's box says when its page cannot be opened, in the language
// the installer speaks.
CHyperLink::OpenErrorWords LinkOpenErrorWords();

class CMainDlg : public CDialog {
public:
    // Every run of the installation writes to `log` (which may be one never opened).
    explicit CMainDlg(CLog& log, CWnd* parent = nullptr);
    ~CMainDlg() override;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM id, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnAcceptTerms(WPARAM, LPARAM);
    LRESULT OnInstallCommand(WPARAM, LPARAM);
    LRESULT OnDpiChanged(WPARAM dpi, LPARAM);
    void OnInstall();
    enum class CloseChoice { kNothingOpen, kClose, kCancel };
    CloseChoice AskToClose();

private:
    // The picture and the caption and taskbar icons drawn for this DPI.
    void ShowImagesFor(UINT dpi);

    CStatic m_Picture;
    CStatic m_InstallDirLabel;
    CButton m_AcceptCheck;
    CButton m_InstallButton;
    CHyperLink m_Link;
    HICON m_hIcon = nullptr;  // at the system's icon size; shared, never destroyed
    CBitmap m_Bitmap;         // what m_Picture shows
    CIcon m_BigIcon;          // what the window shows as ICON_BIG
    CIcon m_SmallIcon;        // and as ICON_SMALL
    std::wstring m_InstallDir;
    unsigned char m_CipherKey[10];
    CLog& m_Log;
};
