// The oapi... functions and the module binding calls (InitLib and Date2Int, which the
// modules' entry layer declares itself: no published header does).
#include <cstring>
#include <filesystem>

#include "Registry.h"
#include "SharedObject.h"
#include "hostsim/Faults.h"
#include "Text.h"
#include "hostsim/Host.h"

using namespace hostsim;

namespace {
Journal& journal() { return Host::instance().journal(); }
}  // namespace

void InitLib(HINSTANCE module) {
    journal().record("InitLib " + formatPointer(module));
    std::string file = libraryFileName(module);
    if (file.empty()) file = "(unknown)";
    auto date = moduleExport<char* (*)()>(module, "ModuleDate");
    auto version = moduleExport<int (*)()>(module, "GetModuleVersion");
    std::string line = "Module " + file;
    if (date || version) {
        line += " [";
        if (date) line += std::string("Build ") + date();
        if (date && version) line += ", ";
        if (version) line += "API " + std::to_string(version());
        line += "]";
    }
    Host::instance().writeLog(line);
}

int Date2Int(const char* date) {
    journal().record(std::string("Date2Int ") + (date ? date : ""));
    if (!date) return 0;
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char name[4] = {};
    int day = 0, year = 0;
    if (std::sscanf(date, "%3s %d %d", name, &day, &year) != 3) return 0;
    for (int m = 0; m < 12; ++m)
        if (std::strcmp(name, months[m]) == 0 && day >= 1 && day <= 31 && year >= 0)
            return (year % 100) * 10000 + (m + 1) * 100 + day;
    return 0;
}

void oapiWriteLog(char* line) {
    journal().record(std::string("oapiWriteLog ") + (line ? line : ""));
    Host::instance().writeLog(line ? line : "");
}

VESSEL* oapiGetVesselInterface(OBJHANDLE vessel) {
    if (hostsim::faults::injectHere("oapiGetVesselInterface")) return nullptr;
    if (journal().enabled()) journal().record("oapiGetVesselInterface " + formatPointer(vessel));
    Vessel* v = Registry::get().vessels.get(vessel);
    return v ? v->iface : nullptr;
}

OBJHANDLE oapiGetVesselByName(char* name) {
    if (hostsim::faults::injectHere("oapiGetVesselByName")) return nullptr;
    journal().record(std::string("oapiGetVesselByName ") + (name ? name : ""));
    Vessel* v = name ? Host::instance().vesselByName(name) : nullptr;
    return v ? v->handle : nullptr;
}

DWORD oapiGetVesselCount() {
    journal().record("oapiGetVesselCount");
    return DWORD(Host::instance().vesselCount());
}

OBJHANDLE oapiGetVesselByIndex(int index) {
    if (hostsim::faults::injectHere("oapiGetVesselByIndex")) return nullptr;
    if (journal().enabled()) journal().record("oapiGetVesselByIndex " + std::to_string(index));
    return index >= 0 ? Host::instance().vesselAt(size_t(index)) : nullptr;
}

bool oapiIsVessel(OBJHANDLE object) {
    if (journal().enabled()) journal().record("oapiIsVessel " + formatPointer(object));
    return Registry::get().vessels.get(object) != nullptr;
}

void oapiGetObjectName(OBJHANDLE object, char* name, int n) {
    if (journal().enabled()) journal().record("oapiGetObjectName " + formatPointer(object) + " " + std::to_string(n));
    if (!name || n <= 0) return;
    Vessel* v = Registry::get().vessels.get(object);
    std::string_view text = v ? std::string_view(v->name) : std::string_view();
    size_t len = std::min(text.size(), size_t(n - 1));
    if (len) std::memcpy(name, text.data(), len);
    name[len] = '\0';
}

bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
    if (hostsim::faults::injectHere("oapiReadScenario_nextline")) return false;
    journal().record("oapiReadScenario_nextline");
    ScenarioFile* f = Registry::get().files.get(scn);
    if (!f || f->writing) return false;
    while (f->next < f->lines.size()) {
        std::string_view raw = f->lines[f->next++];
        raw = trim(raw.substr(0, raw.find(';')));
        if (raw.empty()) continue;
        if (iequals(raw, "END")) {
            f->next = f->lines.size();
            return false;
        }
        f->current.assign(raw);
        f->currentLine = f->next - 1 < f->lineNumbers.size() ? f->lineNumbers[f->next - 1] : 0;
        line = f->current.data();
        return true;
    }
    return false;
}

namespace {
void writeLine(FILEHANDLE scn, const char* item, const std::string& value) {
    ScenarioFile* f = Registry::get().files.get(scn);
    // One blank after the key also when the value is empty, as the simulator writes it.
    std::string line = "  " + std::string(item ? item : "") + " " + value;
    journal().record("oapiWriteScenario" + line);
    if (f && f->writing) f->lines.push_back(std::move(line));
}
}  // namespace

void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* value) {
    writeLine(scn, item, value ? value : "");
}
void oapiWriteScenario_int(FILEHANDLE scn, char* item, int value) {
    writeLine(scn, item, std::to_string(value));
}
void oapiWriteScenario_float(FILEHANDLE scn, char* item, double value) {
    writeLine(scn, item, formatNumber(value));
}
void oapiWriteScenario_vec(FILEHANDLE scn, char* item, const VECTOR3& value) {
    writeLine(scn, item, formatVector(value));
}

void oapiOpenInputBox(char* title, InputBoxCallback callback, char* initial, int visibleLength, void* userData) {
    if (hostsim::faults::injectHere("oapiOpenInputBox")) return;
    journal().record(std::string("oapiOpenInputBox ") + (title ? title : "") + " " + std::to_string(visibleLength) +
                     " " + formatPointer(userData));
    InputBox box;
    box.title = title ? title : "";
    box.callback = callback;
    box.initialText = initial ? initial : "";
    box.visibleLength = visibleLength;
    box.userData = userData;
    box.opener = Host::instance().focus();
    Host::instance().openInputBox(std::move(box));
}
