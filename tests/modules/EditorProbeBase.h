// The first control id of the probe's dialogs; included by EditorProbeIds.h so that
// headers that include headers are carried with the script too.
#pragma once

#define PROBE_FIRST_ID 1000
