// The module's process entry point, which the loader calls when it maps the module
// into the process and when it unmaps it.
#pragma once

#include "Orbitersdk.h"

// With C linkage, under the name by which the Windows loader's startup code calls it.
extern "C" BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID reserved);
