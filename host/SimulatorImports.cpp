// Every function of the interface that a module imports from the simulator, defined
// empty. Nothing runs this: it is compiled only so that the build can list the
// symbols it defines and write from them the import library of the simulator's
// executable (see CMakeLists.txt here). A declaration added to sdk/ or to
// ModuleBinding.h needs its empty definition here before a Windows build of a module
// can call it.
#include "ModuleBinding.h"
#include "Orbitersdk.h"

// ---- Module binding ----

void InitLib(HINSTANCE) {}
int Date2Int(const char*) { return 0; }

// ---- oapi functions ----

void oapiWriteLog(char*) {}
VESSEL* oapiGetVesselInterface(OBJHANDLE) { return nullptr; }
OBJHANDLE oapiGetVesselByName(char*) { return nullptr; }
DWORD oapiGetVesselCount() { return 0; }
OBJHANDLE oapiGetVesselByIndex(int) { return nullptr; }
bool oapiIsVessel(OBJHANDLE) { return false; }
void oapiGetObjectName(OBJHANDLE, char*, int) {}
bool oapiReadScenario_nextline(FILEHANDLE, char*&) { return false; }
void oapiWriteScenario_string(FILEHANDLE, char*, char*) {}
void oapiWriteScenario_int(FILEHANDLE, char*, int) {}
void oapiWriteScenario_float(FILEHANDLE, char*, double) {}
void oapiWriteScenario_vec(FILEHANDLE, char*, const VECTOR3&) {}
void oapiOpenInputBox(char*, bool (*)(void*, char*, void*), char*, int, void*) {}

// ---- VESSEL ----

VESSEL::VESSEL(OBJHANDLE, int) {}
char* VESSEL::GetName() const { return nullptr; }
char* VESSEL::GetClassName() const { return nullptr; }
UINT VESSEL::AddMesh(const char*, const VECTOR3*) const { return 0; }
bool VESSEL::DelMesh(UINT, bool) const { return false; }
bool VESSEL::ShiftMesh(UINT, const VECTOR3&) const { return false; }
UINT VESSEL::GetMeshCount() const { return 0; }
DOCKHANDLE VESSEL::CreateDock(const VECTOR3&, const VECTOR3&, const VECTOR3&) const { return nullptr; }
bool VESSEL::DelDock(DOCKHANDLE) const { return false; }
void VESSEL::SetDockParams(DOCKHANDLE, const VECTOR3&, const VECTOR3&, const VECTOR3&) const {}
void VESSEL::GetDockParams(DOCKHANDLE, VECTOR3&, VECTOR3&, VECTOR3&) const {}
UINT VESSEL::DockCount() const { return 0; }
DOCKHANDLE VESSEL::GetDockHandle(UINT) const { return nullptr; }
OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE) const { return nullptr; }
bool VESSEL::Undock(UINT, const OBJHANDLE) const { return false; }
ATTACHMENTHANDLE VESSEL::CreateAttachment(bool, const VECTOR3&, const VECTOR3&, const VECTOR3&, const char*,
                                          bool) const {
    return nullptr;
}
bool VESSEL::DelAttachment(ATTACHMENTHANDLE) const { return false; }
void VESSEL::SetAttachmentParams(ATTACHMENTHANDLE, const VECTOR3&, const VECTOR3&, const VECTOR3&) const {}
void VESSEL::GetAttachmentParams(ATTACHMENTHANDLE, VECTOR3&, VECTOR3&, VECTOR3&) const {}
const char* VESSEL::GetAttachmentId(ATTACHMENTHANDLE) const { return nullptr; }
OBJHANDLE VESSEL::GetAttachmentStatus(ATTACHMENTHANDLE) const { return nullptr; }
DWORD VESSEL::AttachmentCount(bool) const { return 0; }
DWORD VESSEL::GetAttachmentIndex(ATTACHMENTHANDLE) const { return 0; }
ATTACHMENTHANDLE VESSEL::GetAttachmentHandle(bool, DWORD) const { return nullptr; }
bool VESSEL::AttachChild(OBJHANDLE, ATTACHMENTHANDLE, ATTACHMENTHANDLE) const { return false; }
bool VESSEL::DetachChild(ATTACHMENTHANDLE, double) const { return false; }
UINT VESSEL::CreateAnimation(double) const { return 0; }
ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT, double, double, MGROUP_TRANSFORM*,
                                                        ANIMATIONCOMPONENT_HANDLE) const {
    return nullptr;
}
bool VESSEL::DelAnimationComponent(UINT, ANIMATIONCOMPONENT_HANDLE) { return false; }
bool VESSEL::DelAnimation(UINT) const { return false; }
bool VESSEL::SetAnimation(UINT, double) const { return false; }
double VESSEL::GetAnimation(UINT) const { return 0; }
void VESSEL::SetEmptyMass(double) const {}
double VESSEL::GetEmptyMass() const { return 0; }
void VESSEL::GetGlobalPos(VECTOR3&) const {}
void VESSEL::Global2Local(const VECTOR3&, VECTOR3&) const {}
void VESSEL::Local2Global(const VECTOR3&, VECTOR3&) const {}
void VESSEL::ParseScenarioLineEx(char*, void*) const {}

// ---- VESSEL2 and VESSEL3 ----

VESSEL2::VESSEL2(OBJHANDLE hVessel, int fmodel) : VESSEL(hVessel, fmodel) {}
void VESSEL2::clbkSetClassCaps(FILEHANDLE) {}
void VESSEL2::clbkSaveState(FILEHANDLE) {}
void VESSEL2::clbkLoadStateEx(FILEHANDLE, void*) {}
void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
void VESSEL2::clbkDockEvent(int, OBJHANDLE) {}
int VESSEL2::clbkConsumeBufferedKey(DWORD, bool, char*) { return 0; }

VESSEL3::VESSEL3(OBJHANDLE hVessel, int fmodel) : VESSEL2(hVessel, fmodel) {}
int VESSEL3::clbkGeneric(int, int, void*) { return 0; }
