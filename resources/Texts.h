// The ids of the texts the installer and the uninstaller show, one string
// table per language (English.rc, German.rc, French.rc). Each program asks for
// a text by its id (Text() in product/Language.h), never by its words.
#pragma once

// Both programs.
#define IDS_ERROR_CAPTION 1000
#define IDS_ERROR_LINE 1001  // %1 the code, %2 the system's text
#define IDS_NO_EXPLANATION 1002
#define IDS_CLOSE_VANTRELLE 1003
#define IDS_CLOSE_HELP 1004
#define IDS_LOG_FAILED 1005  // %1 the log's path, %2 the error line
#define IDS_UNKNOWN_SWITCH 1006
#define IDS_SWITCHES 1007  // %1 the program's file name
#define IDS_SWITCH_LOG 1008
#define IDS_SWITCH_LANG 1009
#define IDS_SWITCH_HELP 1010
#define IDS_IN_PROGRESS 1011
#define IDS_FOREIGN_LOCK 1012  // %1 the lock's name
#define IDS_LOCK_FAILED 1013   // %1 the error line
#define IDS_SWITCH_NO_CLOSE 1014
#define IDS_OPEN_HELP 1015  // %1 the help file's name
#define IDS_CLOSE_SAVE 1016

// The installer.
#define IDS_TITLE 1100  // %1 the version
#define IDS_SWITCH_QUIET_INSTALL 1101
#define IDS_SWITCH_ACCEPT 1102
#define IDS_NOT_ACCEPTED 1103
#define IDS_SUCCESS 1104
#define IDS_SUCCESS_CAPTION 1105
#define IDS_SHORTCUT_DESCRIPTION 1106
#define IDS_NEWER_VERSION 1107
#define IDS_DAMAGED 1108
#define IDS_NO_CABINET_LIBRARY 1109
#define IDS_OUT_OF_MEMORY 1110
#define IDS_FILE_NOT_WRITTEN 1111
#define IDS_EXTRACTION_FAILED 1112  // %1 the cabinet library's error code
#define IDS_NO_SPACE 1113           // %1 the drive, %2 what is needed, %3 what is free
#define IDS_MEGABYTES 1114          // %1 the number
#define IDS_REGISTRY_VALUE 1115     // %1 the value, %2 its key
#define IDS_REGISTRY_KEY 1116       // %1 the key
#define IDS_CREATE_SUBFOLDER 1117
#define IDS_FOLDER_PERMISSIONS 1118
#define IDS_CREATE_SHORTCUT 1119
#define IDS_LINK_REFUSED 1120
#define IDS_NO_WINDOW 1121  // %1 the error line
#define IDS_CLOSE_CAPTION 1122
#define IDS_CLOSE_PROGRAMS 1123  // %1 what is open
#define IDS_CLOSE_RESTART 1124
#define IDS_CLOSE_CHOICE 1125

// The hyperlink's failures to open its target.
#define IDS_HYPERLINK_FAILED 1150  // %1 the reason
#define IDS_HYPERLINK_NO_RESOURCES 1151
#define IDS_HYPERLINK_FILE_NOT_FOUND 1152
#define IDS_HYPERLINK_PATH_NOT_FOUND 1153
#define IDS_HYPERLINK_ACCESS_DENIED 1154
#define IDS_HYPERLINK_OUT_OF_MEMORY 1155
#define IDS_HYPERLINK_BAD_FORMAT 1156
#define IDS_HYPERLINK_SHARING 1157
#define IDS_HYPERLINK_ASSOCIATION 1158
#define IDS_HYPERLINK_DDE_TIMEOUT 1159
#define IDS_HYPERLINK_DDE_FAILED 1160
#define IDS_HYPERLINK_DDE_BUSY 1161
#define IDS_HYPERLINK_NO_ASSOCIATION 1162
#define IDS_HYPERLINK_DLL_NOT_FOUND 1163
#define IDS_HYPERLINK_UNKNOWN 1164  // %1 the code

// The uninstaller.
#define IDS_UNINSTALL_CAPTION 1200
#define IDS_CONFIRM 1201
#define IDS_SWITCH_QUIET_REMOVE 1202
#define IDS_UNINSTALL_COMPLETE 1203
#define IDS_REMOVED 1204
#define IDS_KEPT 1205  // %1 the install folder
#define IDS_UNINSTALL_LINK 1206
#define IDS_LIST_DAMAGED 1207  // %1 the list's path, %2 the error line
#define IDS_CLOSE_AND_RETRY 1208
#define IDS_REGISTRY_REMOVE 1209    // %1 the key
#define IDS_CLOSE_FOR_REMOVAL 1210  // %1 what is open
