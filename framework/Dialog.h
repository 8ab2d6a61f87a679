#pragma once
// CDialog: a modal dialog run from a dialog template of the program's resources.
#include "Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds a member control to the dialog's control with this id by subclassing it
// (once; later exchanges leave it bound). False if the dialog has no such control.
bool DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    // `language`: the template of that language; 0, the system's choice.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr, LANGID language = 0);

    // Where the program has no template in the language asked for.
    static constexpr LANGID kFallbackLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

    // Runs the dialog until EndDialog; returns its result, or -1, with
    // GetLastError, if it could not be created (ERROR_RESOURCE_NAME_NOT_FOUND:
    // no template in any language).
    virtual INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    // Runs DoDataExchange: to the controls (false) or from them (true).
    bool UpdateData(bool saveAndValidate = true);

    // Where the template is looked up; the running executable unless changed.
    HINSTANCE m_hResourceModule;

protected:
    const MessageMap* GetMessageMap() const override;

    virtual BOOL OnInitDialog();  // binds the controls; TRUE lets the system set the focus
    virtual void OnOK();          // takes the data and ends with IDOK
    virtual void OnCancel();      // ends with IDCANCEL
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_TemplateId;
    LANGID m_TemplateLanguage;
    CWnd* m_pParentWnd;

private:
    LRESULT OnOkCommand(WPARAM, LPARAM);
    LRESULT OnCancelCommand(WPARAM, LPARAM);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
