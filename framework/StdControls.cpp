// The standard controls are header-only; this unit keeps them in the library's
// build so their header is compiled on every toolchain.
#include "StdControls.h"
