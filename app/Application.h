#pragma once
// The installer's application object: without arguments one dialog, run
// modally, then the end; with switches a quiet run, or the list of switches.
#include "Log.h"
#include "framework/Framework.h"

class CApplication : public CWinApp {
public:
    CApplication();
    ~CApplication() override;

protected:
    const MessageMap* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    int RunDialog(CLog& log);
};
