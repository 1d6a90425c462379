// A module with no unload entry at all.
#include "Orbitersdk.h"

DLLCLBK void InitModule(HINSTANCE) { oapiWriteLog("NoExit: InitModule"); }
