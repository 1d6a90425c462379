// A module whose only unload entry is "opcDLLExit".
#include "Orbitersdk.h"

char initLine[] = "OnlyDllExit: InitModule";
char exitLine[] = "OnlyDllExit: opcDLLExit";

DLLCLBK void InitModule(HINSTANCE) { oapiWriteLog(initLine); }
DLLCLBK void opcDLLExit(HINSTANCE) { oapiWriteLog(exitLine); }
