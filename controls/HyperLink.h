#pragma once
// CHyperLink: a static-text label that behaves as a link. It fits its text,
// changes colour and underline while the pointer is over it, shows the hand
// cursor and opens its target through the shell, falling back to the program
// registered for ".htm" files. As a tab stop it shows a focus rectangle and
// opens on Enter or Space.
#include "Font.h"
#include "StdControls.h"

#include <map>
#include <string>
#include <utility>

class CHyperLink : public CStatic {
public:
    // Units in the fallback's command buffer (two paths' worth).
    static constexpr size_t kCommandCapacity = 2 * MAX_PATH;

    CHyperLink() = default;
    ~CHyperLink() override = default;

    void SetTarget(const std::wstring& target);
    const std::wstring& GetTarget() const { return m_Target; }
    void MarkVisited(BOOL visited = TRUE);
    void SetUnderlineMode(int mode);  // -1 while hovering, 1 always, else never
    int GetUnderlineMode() const { return m_UnderlineMode; }
    void FitToText();
    void LoadHandCursor();

    BOOL DestroyWindow() override;

    // Opens the target with the shell, else with the ".htm" program's command.
    // Above 32 is success; else a ShellExecuteW/WinExec failure code, or
    // SE_ERR_OOM when the fallback command would not fit its buffer.
    static int OpenTarget(const std::wstring& target, int showCommand);
    // The shell's rule for its results: above 32 the target was opened.
    static bool Opened(int result) { return result > 32; }

    // Builds the fallback command line for the target in the buffer: the ".htm"
    // class's open command cut at its "%1" placeholder, a blank and the target.
    // Returns 0, a registry error code, or ERROR_INSUFFICIENT_BUFFER when the
    // command does not fit (the buffer then holds no partial command).
    static LONG BuildFallbackCommand(const std::wstring& target, wchar_t (&command)[kCommandCapacity]);

    // Reads the default value of root\subKey into out (capacity in units, with
    // its terminator). 0 or a registry error code; subKey and out may be the same.
    static LONG ReadClassesRootDefault(HKEY root, const wchar_t* subKey, wchar_t* out, size_t outCapacity);

    // The words of the box that says the target could not be opened, in the
    // owner's language: `failed` with %1 for the reason, the reason for each
    // failure code of the shell that the owner names (0 and the SE_ERR_ codes),
    // and `unknown` with %1 for any other code.
    struct OpenErrorWords {
        std::wstring failed = L"Unable to open hyperlink:\n\n%1";
        std::map<int, std::wstring> reasons;
        std::wstring unknown = L"Unknown Error (%1) occurred.";
    };
    void SetOpenErrorWords(OpenErrorWords words) { m_OpenErrorWords = std::move(words); }

    // The text of the open-error box for this code, and the box itself.
    std::wstring OpenErrorText(int code) const;
    void ShowOpenError(int code) const;

protected:
    const MessageMap* GetMessageMap() const override;
    void PreSubclassWindow() override;

    LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnClicked(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusCueChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChangedAfterParent(WPARAM wParam, LPARAM lParam);

    // Makes m_PlainFont and m_UnderlinedFont from this font (a stock font if none).
    void CreateFonts(HFONT font);

    // Opens the target as the user asked (click or key): visited colour, or beep and error box.
    void Follow();
    bool ShowsFocus() const;

    COLORREF m_TextColourNew = RGB(0, 0, 238);
    COLORREF m_TextColourVisited = RGB(85, 26, 139);
    COLORREF m_TextColourHover = RGB(255, 0, 0);
    BOOL m_IsHovering = FALSE;
    BOOL m_IsVisited = FALSE;
    int m_UnderlineMode = -1;
    BOOL m_AutoFit = TRUE;
    std::wstring m_Target;
    CFont m_UnderlinedFont;
    CFont m_PlainFont;
    HCURSOR m_hHandCursor = nullptr;  // shared system cursor, never freed
    int m_HoverTimerId = 100;
    OpenErrorWords m_OpenErrorWords;
};
