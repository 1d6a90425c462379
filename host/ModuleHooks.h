// What each vessel module supplies to the shared entry layer, and what the entry
// layer keeps for the module.
#pragma once

#include "Orbitersdk.h"

// The handle given to InitModule; editor page records carry it.
extern HINSTANCE moduleInstance;

// Creates one object of the module's vessel class; null if it cannot be allocated.
VESSEL* CreateModuleVessel(OBJHANDLE hVessel, int flightModel);
// Destroys an object that CreateModuleVessel made, through its own class.
void DestroyModuleVessel(VESSEL* vessel);
// Adds the module's scenario-editor pages.
void AddEditorPages(HWND hEditor, OBJHANDLE vessel);
