// A second, independent host for the Windows modules, built as the simulator is: by
// Microsoft's conventions (clang for the msvc target), with no C++ library, and named
// Orbiter.exe, so that the modules' imports bind to it. It loads each module with
// LoadLibrary, makes the vessels of a scenario with ovcInit, calls clbkSetClassCaps,
// clbkLoadStateEx, clbkPostCreation, presses the script's keys, steps, and prints the
// lines each vessel saves, as the ships section of a scenario; then ovcExit. Every call
// goes through the vessel's table as the published classes declare it, and the probe
// answers the calls the modules make (tests/wine compares its lines with hostsim's).
//
//   Orbiter.exe ADDON SCENARIO SCRIPT SECONDS STEP
//
// The script's "at 0 key VESSEL KEY [ctrl]" lines are pressed before the first step.
#include <corecrt_startup.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ModuleBinding.h"
#include "Orbitersdk.h"

extern "C" int _fltused = 0;

namespace {

constexpr int kMaxVessels = 16, kMaxLines = 16, kLine = 256;

struct ProbeVessel {
    char name[64], className[64];
    HMODULE module;
    VESSEL* object;
    char unknown[kMaxLines][kLine];  // lines the module handed back to the host
    int unknownCount;
    unsigned meshes, animations, docks, attachments, components;
};
ProbeVessel vessels[kMaxVessels];
int vesselCount = 0;

// A vessel block being read or written.
struct Block {
    const char* next;  // the next line to read
    char line[kLine];
    ProbeVessel* vessel;
};

char output[1 << 16];
size_t outputLength = 0;

void print(const char* text) {
    size_t n = strlen(text);
    if (outputLength + n < sizeof output) memcpy(output + outputLength, text, n), outputLength += n;
}

[[noreturn]] void fail(const char* what, const char* detail) {
    fprintf(stderr, "probe: %s%s\n", what, detail);
    ExitProcess(1);
}

ProbeVessel* vesselOf(OBJHANDLE h) {
    for (int i = 0; i < vesselCount; ++i)
        if (h == &vessels[i]) return &vessels[i];
    return nullptr;
}

// Numbers as hostsim writes them: the shortest text that reads back to the same double.
void shortest(char* out, size_t size, double v) {
    for (int digits = 1; digits <= 17; ++digits) {
        snprintf(out, size, "%.*g", digits, v);
        if (strtod(out, nullptr) == v) return;
    }
}

void writeLine(FILEHANDLE scn, const char* item, const char* value) {
    (void)scn;
    char line[kLine * 2];
    snprintf(line, sizeof line, "  %s %s\n", item, value);  // one blank after the key, an empty value too
    print(line);
}

// The file's text, NUL-terminated, in a buffer that lives to the end.
char* readFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail("cannot read ", path);
    DWORD size = GetFileSize(file, nullptr), got = 0;
    char* text = static_cast<char*>(calloc(size + 1, 1));
    ReadFile(file, text, size, &got, nullptr);
    CloseHandle(file);
    return text;
}

// The next line of text, cut at its end; null at the end of the text.
char* nextLine(char*& at) {
    if (!*at) return nullptr;
    char* line = at;
    at += strcspn(at, "\r\n");
    if (*at == '\r') *at++ = 0;
    if (*at == '\n') *at++ = 0;
    return line;
}

// The module named by the class's configuration file ("Module = NAME").
HMODULE loadClassModule(const char* addon, const char* className) {
    char path[MAX_PATH], module[64] = "";
    snprintf(path, sizeof path, "%s/Config/Vessels/%s.cfg", addon, className);
    char* at = readFile(path);
    while (char* line = nextLine(at))
        if (sscanf(line, " Module = %63s", module) == 1) break;
    snprintf(path, sizeof path, "%s/Modules/%s.dll", addon, module);
    HMODULE loaded = GetModuleHandleA(path);
    if (!loaded) loaded = LoadLibraryA(path);
    if (!loaded) fail("cannot load ", path);
    return loaded;
}

DWORD scanCode(char key) {
    const char* keys = "DGJKU";
    const DWORD codes[] = {OAPI_KEY_D, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_U};
    const char* at = strchr(keys, key);
    if (!key || !at) fail("no scan code for key ", &key);
    return codes[at - keys];
}

}  // namespace

// ---- The interface, as the simulator serves it ----

void InitLib(HINSTANCE) {}
int Date2Int(const char*) { return 0; }  // the probe asks no module for its version

void oapiWriteLog(char*) {}
VESSEL* oapiGetVesselInterface(OBJHANDLE h) { return vesselOf(h) ? vesselOf(h)->object : nullptr; }
OBJHANDLE oapiGetVesselByName(char* name) {
    for (int i = 0; i < vesselCount; ++i)
        if (!_stricmp(vessels[i].name, name)) return &vessels[i];
    return nullptr;
}
DWORD oapiGetVesselCount() { return DWORD(vesselCount); }
OBJHANDLE oapiGetVesselByIndex(int i) { return i >= 0 && i < vesselCount ? &vessels[i] : nullptr; }
bool oapiIsVessel(OBJHANDLE h) { return vesselOf(h) != nullptr; }
void oapiGetObjectName(OBJHANDLE h, char* name, int n) {
    if (n > 0) snprintf(name, size_t(n), "%s", vesselOf(h) ? vesselOf(h)->name : "");
}
bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
    Block& b = *static_cast<Block*>(scn);
    size_t n = strcspn(b.next, "\n");
    snprintf(b.line, sizeof b.line, "%.*s", int(n), b.next);
    b.next += b.next[n] ? n + 1 : n;
    b.line[strcspn(b.line, ";")] = 0;
    char* start = b.line + strspn(b.line, " \t");
    for (size_t end = strlen(start); end > 0 && strchr(" \t", start[end - 1]); --end) start[end - 1] = 0;
    line = start;
    return _strnicmp(start, "END", 3) != 0 || start[3] != 0;
}
void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string) { writeLine(scn, item, string); }
void oapiWriteScenario_int(FILEHANDLE scn, char* item, int i) {
    char value[16];
    snprintf(value, sizeof value, "%d", i);
    writeLine(scn, item, value);
}
void oapiWriteScenario_float(FILEHANDLE scn, char* item, double d) {
    char value[32];
    shortest(value, sizeof value, d);
    writeLine(scn, item, value);
}
void oapiWriteScenario_vec(FILEHANDLE scn, char* item, const VECTOR3& v) {
    char x[32], y[32], z[32], value[100];
    shortest(x, sizeof x, v.x), shortest(y, sizeof y, v.y), shortest(z, sizeof z, v.z);
    snprintf(value, sizeof value, "%s %s %s", x, y, z);
    writeLine(scn, item, value);
}
void oapiOpenInputBox(char*, bool (*)(void*, char*, void*), char*, int, void*) {}

// Handles are distinct non-null values; the probe keeps no geometry.
static void* newHandle(unsigned& count) { return reinterpret_cast<void*>(uintptr_t(++count)); }

VESSEL::VESSEL(OBJHANDLE h, int fmodel) : version(0), hVessel(h), flightModel(fmodel) {}
char* VESSEL::GetName() const { return vesselOf(hVessel)->name; }
char* VESSEL::GetClassName() const { return vesselOf(hVessel)->className; }
UINT VESSEL::AddMesh(const char*, const VECTOR3*) const { return vesselOf(hVessel)->meshes++; }
bool VESSEL::DelMesh(UINT, bool) const { return true; }
bool VESSEL::ShiftMesh(UINT, const VECTOR3&) const { return true; }
UINT VESSEL::GetMeshCount() const { return vesselOf(hVessel)->meshes; }
DOCKHANDLE VESSEL::CreateDock(const VECTOR3&, const VECTOR3&, const VECTOR3&) const {
    return newHandle(vesselOf(hVessel)->docks);
}
bool VESSEL::DelDock(DOCKHANDLE) const { return true; }
void VESSEL::SetDockParams(DOCKHANDLE, const VECTOR3&, const VECTOR3&, const VECTOR3&) const {}
void VESSEL::GetDockParams(DOCKHANDLE, VECTOR3&, VECTOR3&, VECTOR3&) const {}
UINT VESSEL::DockCount() const { return vesselOf(hVessel)->docks; }
DOCKHANDLE VESSEL::GetDockHandle(UINT) const { return nullptr; }
OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE) const { return nullptr; }
bool VESSEL::Undock(UINT, const OBJHANDLE) const { return false; }
ATTACHMENTHANDLE VESSEL::CreateAttachment(bool, const VECTOR3&, const VECTOR3&, const VECTOR3&, const char*,
                                          bool) const {
    return newHandle(vesselOf(hVessel)->attachments);
}
bool VESSEL::DelAttachment(ATTACHMENTHANDLE) const { return true; }
void VESSEL::SetAttachmentParams(ATTACHMENTHANDLE, const VECTOR3&, const VECTOR3&, const VECTOR3&) const {}
void VESSEL::GetAttachmentParams(ATTACHMENTHANDLE, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const {
    pos = _V(0, 0, 0), dir = _V(0, 0, 1), rot = _V(0, 1, 0);
}
const char* VESSEL::GetAttachmentId(ATTACHMENTHANDLE) const { return ""; }
OBJHANDLE VESSEL::GetAttachmentStatus(ATTACHMENTHANDLE) const { return nullptr; }
DWORD VESSEL::AttachmentCount(bool) const { return 0; }
DWORD VESSEL::GetAttachmentIndex(ATTACHMENTHANDLE) const { return 0; }
ATTACHMENTHANDLE VESSEL::GetAttachmentHandle(bool, DWORD) const { return nullptr; }
bool VESSEL::AttachChild(OBJHANDLE, ATTACHMENTHANDLE, ATTACHMENTHANDLE) const { return false; }
bool VESSEL::DetachChild(ATTACHMENTHANDLE, double) const { return false; }
UINT VESSEL::CreateAnimation(double) const { return vesselOf(hVessel)->animations++; }
// The transform is read through its own table, as the simulator reads it.
ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT, double, double, MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE) const {
    MGROUP_TRANSFORM::TYPE type = trans->Type();
    if (type != MGROUP_TRANSFORM::ROTATE && type != MGROUP_TRANSFORM::TRANSLATE)
        fail("a transform of unknown type from ", vesselOf(hVessel)->name);
    return newHandle(vesselOf(hVessel)->components);
}
bool VESSEL::DelAnimationComponent(UINT, ANIMATIONCOMPONENT_HANDLE) { return true; }
bool VESSEL::DelAnimation(UINT) const { return true; }
bool VESSEL::SetAnimation(UINT, double) const { return true; }
double VESSEL::GetAnimation(UINT) const { return 0; }
void VESSEL::SetEmptyMass(double) const {}
double VESSEL::GetEmptyMass() const { return 0; }
void VESSEL::GetGlobalPos(VECTOR3& pos) const { pos = _V(0, 0, 0); }
void VESSEL::Global2Local(const VECTOR3& glob, VECTOR3& loc) const { loc = glob; }
void VESSEL::Local2Global(const VECTOR3& loc, VECTOR3& glob) const { glob = loc; }
void VESSEL::ParseScenarioLineEx(char* line, void*) const {
    ProbeVessel& v = *vesselOf(hVessel);
    if (v.unknownCount < kMaxLines) snprintf(v.unknown[v.unknownCount++], kLine, "%s", line);
}

VESSEL2::VESSEL2(OBJHANDLE h, int fmodel) : VESSEL(h, fmodel) { version = 1; }
void VESSEL2::clbkSetClassCaps(FILEHANDLE) {}
void VESSEL2::clbkSaveState(FILEHANDLE) {
    ProbeVessel& v = *vesselOf(GetHandle());
    for (int i = 0; i < v.unknownCount; ++i) print("  "), print(v.unknown[i]), print("\n");
}
void VESSEL2::clbkLoadStateEx(FILEHANDLE scn, void* status) {
    char* line;
    while (oapiReadScenario_nextline(scn, line)) ParseScenarioLineEx(line, status);
}
void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
void VESSEL2::clbkDockEvent(int, OBJHANDLE) {}
int VESSEL2::clbkConsumeBufferedKey(DWORD, bool, char*) { return 0; }
VESSEL3::VESSEL3(OBJHANDLE h, int fmodel) : VESSEL2(h, fmodel) { version = 2; }
int VESSEL3::clbkGeneric(int, int, void*) { return 0; }

// ---- The run ----

static int probe(int argc, char** argv) {
    if (argc != 6) fail("usage: Orbiter.exe ADDON SCENARIO SCRIPT SECONDS STEP", "");
    const char* addon = argv[1];
    const double seconds = strtod(argv[4], nullptr), dt = strtod(argv[5], nullptr);

    // The ships: "Name:Class", the module's lines, "END".
    char* at = readFile(argv[2]);
    bool inShips = false;
    while (char* line = nextLine(at)) {
        if (!strcmp(line, "BEGIN_SHIPS")) inShips = true;
        else if (!strcmp(line, "END_SHIPS")) break;
        else if (inShips && vesselCount < kMaxVessels && sscanf(line, "%63[^:]:%63s", vessels[vesselCount].name,
                                                                vessels[vesselCount].className) == 2) {
            ProbeVessel& v = vessels[vesselCount++];
            Block block{at, "", &v};
            while (char* skipped = nextLine(at))  // the block's lines stay for clbkLoadStateEx
                if (!strcmp(skipped, "END")) break;
            for (char* p = const_cast<char*>(block.next); p < at; ++p)
                if (!*p) *p = '\n';
            v.module = loadClassModule(addon, v.className);
            using Init = VESSEL* (*)(OBJHANDLE, int);
            auto init = reinterpret_cast<Init>(reinterpret_cast<void (*)()>(GetProcAddress(v.module, "ovcInit")));
            v.object = init ? init(&v, 1) : nullptr;
            if (!v.object || v.object->Version() < 1) fail("no vessel with callbacks for ", v.name);
            auto* callbacks = static_cast<VESSEL2*>(v.object);
            callbacks->clbkSetClassCaps(nullptr);
            callbacks->clbkLoadStateEx(&block, nullptr);
        }
    }
    for (int i = 0; i < vesselCount; ++i) static_cast<VESSEL2*>(vessels[i].object)->clbkPostCreation();

    // The keys, pressed and released.
    char* script = readFile(argv[3]);
    while (char* line = nextLine(script)) {
        double t;
        char name[64], key[16] = "", modifier[16] = "";
        if (sscanf(line, "at %lf key %63s %15s %15s", &t, name, key, modifier) < 3) continue;
        if (t != 0) fail("keys are pressed at 0 only: ", line);
        OBJHANDLE h = oapiGetVesselByName(name);
        if (!h) fail("no vessel ", name);
        char state[256] = {};
        if (!strcmp(modifier, "ctrl")) state[OAPI_KEY_LCONTROL] = char(0x80);
        DWORD code = scanCode(key[0]);
        auto* callbacks = static_cast<VESSEL2*>(vesselOf(h)->object);
        state[code] = char(0x80);
        callbacks->clbkConsumeBufferedKey(code, true, state);
        state[code] = 0;
        callbacks->clbkConsumeBufferedKey(code, false, state);
    }

    const long steps = lround(seconds / dt);
    for (long s = 0; s < steps; ++s)
        for (int i = 0; i < vesselCount; ++i)
            static_cast<VESSEL2*>(vessels[i].object)->clbkPreStep(double(s) * dt, dt, 60000 + double(s) * dt / 86400);

    for (int i = 0; i < vesselCount; ++i) {
        print(vessels[i].name), print(":"), print(vessels[i].className), print("\n");
        static_cast<VESSEL2*>(vessels[i].object)->clbkSaveState(nullptr);
        print("END\n");
    }
    for (int i = 0; i < vesselCount; ++i) {
        using Exit = void (*)(VESSEL*);
        auto exit = reinterpret_cast<Exit>(reinterpret_cast<void (*)()>(GetProcAddress(vessels[i].module, "ovcExit")));
        if (exit) exit(vessels[i].object);
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output, DWORD(outputLength), &written, nullptr);
    return 0;
}

extern "C" int mainCRTStartup() {
    _configure_narrow_argv(_crt_argv_unexpanded_arguments);
    ExitProcess(UINT(probe(*__p___argc(), *__p___argv())));
}
