// A module whose only unload entry is "opcDLLExit".
#include "Orbitersdk.h"

DLLCLBK void InitModule(HINSTANCE) { oapiWriteLog("OnlyDllExit: InitModule"); }
DLLCLBK void opcDLLExit(HINSTANCE) { oapiWriteLog("OnlyDllExit: opcDLLExit"); }
