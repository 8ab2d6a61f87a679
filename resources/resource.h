// Resource and control ids shared by Installer.rc and the installer's code.
#pragma once

#define IDI_MAIN 102
#define IDD_MAIN 103
#define IDC_INSTALL 104
#define IDC_ACCEPT 105
#define IDC_INSTALL_DIR 106
#define IDB_PICTURE 107
#define IDC_PICTURE 108
#define IDR_PAYLOAD 109
#define IDC_LINK 110
#define IDR_UNINSTALLER 111

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
