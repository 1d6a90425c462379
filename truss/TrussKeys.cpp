// Keyboard commands, and the input callbacks that do nothing. A key only sets the
// fields that the following steps act on.
#include "Truss.h"

namespace {

// G, J and K start a stopped motion in the given sense and stop a running one.
void StartOrStop(MotionStatus& status, MotionStatus start) {
    status = status == MotionStatus::Stopped ? start : MotionStatus::Stopped;
}

}  // namespace

int Truss::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) {
    if (!down) return 0;
    const bool ctrl = kstate && (KEYDOWN(kstate, OAPI_KEY_LCONTROL) || KEYDOWN(kstate, OAPI_KEY_RCONTROL));

    if (ctrl) {
        switch (key) {
        case OAPI_KEY_U:  // home: stop everything and bring base and box back
            baseHoming = boxHoming = true;
            sunTracking = false;
            deployStatus = baseStatus = boxStatus = MotionStatus::Stopped;
            return 1;
        case OAPI_KEY_G:
            StartOrStop(baseStatus, MotionStatus::Increasing);
            return 1;
        case OAPI_KEY_J:
            StartOrStop(boxStatus, MotionStatus::Increasing);
            return 1;
        case OAPI_KEY_K:  // deploy
            StartOrStop(deployStatus, MotionStatus::Increasing);
            return 1;
        default:
            return 0;
        }
    }

    switch (key) {
    case OAPI_KEY_D:
        sunTracking = !sunTracking;
        return 1;
    case OAPI_KEY_G:
        StartOrStop(baseStatus, MotionStatus::Decreasing);
        return 1;
    case OAPI_KEY_J:
        StartOrStop(boxStatus, MotionStatus::Decreasing);
        return 1;
    case OAPI_KEY_K:  // retract
        StartOrStop(deployStatus, MotionStatus::Decreasing);
        return 1;
    default:
        return 0;
    }
}

void Truss::clbkDockEvent(int /*dock*/, OBJHANDLE /*mate*/) {}

int Truss::clbkGeneric(int /*msgid*/, int /*prm*/, void* /*context*/) { return 0; }
