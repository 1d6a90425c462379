// A module with no unload entry at all.
#include "Orbitersdk.h"

char initLine[] = "NoExit: InitModule";

DLLCLBK void InitModule(HINSTANCE) { oapiWriteLog(initLine); }
