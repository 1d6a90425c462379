// The first control id of the probe's dialogs; included by EditorProbeIds.h so that a
// header included by a header is a dependency of the compiled resources too.
#pragma once

#define PROBE_FIRST_ID 1000
