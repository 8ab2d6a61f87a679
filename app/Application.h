#pragma once
// The installer's application object: one dialog, run modally, then the end.
#include "framework/Framework.h"

class CApplication : public CWinApp {
public:
    CApplication();
    ~CApplication() override;

protected:
    const MessageMap* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override;
};
