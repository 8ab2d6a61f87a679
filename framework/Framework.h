#pragma once
// The whole framework in one include.
#include "Bitmap.h"
#include "CmdTarget.h"
#include "Dialog.h"
#include "Font.h"
#include "Icon.h"
#include "StdControls.h"
#include "WinApp.h"
#include "Wnd.h"
