// The program's entry point, in its own unit: only programs that define an
// application object and link with -municode pull it in.
#include "WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_hInstance = hInstance;
    // No C++ exception leaves the entry point either.
    try {
        if (!app->InitInstance())
            return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return 1;
    }
}
