#include "Dialog.h"

bool DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) return true;
    return control.SubclassDlgItem(id, pDX->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent, LANGID language)
    : m_hResourceModule(::GetModuleHandleW(nullptr)),
      m_TemplateId(templateId),
      m_TemplateLanguage(language),
      m_pParentWnd(parent) {}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnCommand(BN_CLICKED, IDOK, &CDialog::OnOkCommand),
        OnCommand(BN_CLICKED, IDCANCEL, &CDialog::OnCancelCommand),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    // The language asked for; where the program has no template in it, English,
    // else any: a dialog in other words beats none.
    const auto name = MAKEINTRESOURCEW(m_TemplateId);
    HRSRC found = ::FindResourceExW(m_hResourceModule, RT_DIALOG, name, m_TemplateLanguage);
    if (!found) found = ::FindResourceExW(m_hResourceModule, RT_DIALOG, name, kFallbackLanguage);
    if (!found) found = ::FindResourceW(m_hResourceModule, name, RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(m_hResourceModule, found) : nullptr;
    const auto* dialog = static_cast<const DLGTEMPLATE*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!dialog) {
        if (!found) ::SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    return ::DialogBoxIndirectParamW(m_hResourceModule, dialog, parent, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

LRESULT CDialog::OnOkCommand(WPARAM, LPARAM) {
    OnOK();
    return 0;
}

LRESULT CDialog::OnCancelCommand(WPARAM, LPARAM) {
    OnCancel();
    return 0;
}

// The dialog's own procedure only attaches the object; from then on the window
// procedure is ours and the system's dialog procedure is the default.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || !dialog->Hook(hWnd)) return TRUE;
    try {
        return dialog->OnInitDialog();
    } catch (...) {
        return TRUE;
    }
}
