// The simulator's functions that the entry layer calls and that no published header
// declares: the module binding.
#pragma once

#include "Orbitersdk.h"

// Tells the simulator that the module with this instance handle has been loaded.
OAPIFUNC void InitLib(HINSTANCE module);
// The integer form of a date text "Mon DD YYYY", or 0 if the text is no such date.
OAPIFUNC int Date2Int(const char* date);
