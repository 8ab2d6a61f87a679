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
// The dialog picture (IDB_PICTURE at 100 %) drawn for larger display scales.
#define IDB_PICTURE_125 111
#define IDB_PICTURE_150 112
#define IDB_PICTURE_175 113
#define IDB_PICTURE_200 114
// The uninstaller, written into the install directory.
#define IDR_UNINSTALLER 115

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
