#pragma once
// The whole framework in one include.
#include "CmdTarget.h"
#include "Dialog.h"
#include "Font.h"
#include "StdControls.h"
#include "WinApp.h"
#include "Wnd.h"
