// The headless host: loads modules, creates vessels, runs steps, delivers keys and
// input-box answers, reads and writes scenarios. One Host exists per process, as one
// simulator does; tests call reset() between cases.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/Journal.h"
#include "hostsim/World.h"

namespace hostsim {

struct Module {
    std::string name;  // e.g. "Spanrig"
    std::filesystem::path path;
    void* library = nullptr;  // dlopen handle, also the module's instance handle
    using InitModuleFn = void (*)(HINSTANCE);
    using OvcInitFn = VESSEL* (*)(OBJHANDLE, int);
    using OvcExitFn = void (*)(VESSEL*);
    using SecInitFn = void (*)(HWND, OBJHANDLE);
    using VersionFn = int (*)();
    OvcInitFn ovcInit = nullptr;
    OvcExitFn ovcExit = nullptr;
    SecInitFn secInit = nullptr;
    VersionFn getModuleVersion = nullptr;
};

// A vessel class as its configuration file gives it.
struct VesselClass {
    std::string name;
    std::string moduleName;        // "Module = ..."; empty for a plain vessel
    std::string editorModuleName;  // "EditorModule = ..."
    std::optional<double> emptyMass;  // "EmptyMass = ..."
};

// What oapiOpenInputBox calls with the box, the entered text and the user data.
using InputBoxCallback = bool (*)(void*, char*, void*);

// A text input box that a module opened and nobody has answered yet.
struct InputBox {
    std::string title;
    InputBoxCallback callback = nullptr;
    std::string initialText;
    int visibleLength = 0;
    void* userData = nullptr;
    OBJHANDLE opener = nullptr;  // the focus vessel when it was opened
};

class Host {
public:
    static Host& instance();

    // Destroys every vessel, unloads every module, and clears log, journal, pending
    // input box, window registry and clock. The addon root stays.
    void reset();

    void setRoot(const std::filesystem::path& root);
    const std::filesystem::path& root() const { return root_; }

    // Log: one entry per oapiWriteLog and per host message. With a file set, every
    // line is also appended to it.
    void writeLog(const std::string& line);
    const std::vector<std::string>& log() const { return log_; }
    void setLogFile(const std::filesystem::path& file);

    Journal& journal() { return journal_; }

    // Modules and classes.
    std::optional<VesselClass> readClass(const std::string& className) const;
    Module* loadModule(const std::string& name);  // null (and logged) when it cannot be loaded
    Module* findModule(const std::string& name);
    void unloadModule(const std::string& name);
    void unloadModules();
    const std::vector<std::unique_ptr<Module>>& modules() const { return modules_; }

    // Vessels. createVessel runs the full creation order: defaults, ovcInit,
    // clbkSetClassCaps, the class file's items, clbkLoadStateEx with the given lines.
    // Returns null when the name is taken or the class has no configuration file.
    OBJHANDLE createVessel(const std::string& name, const std::string& className,
                           const std::vector<std::string>& scenarioLines = {});
    void destroyVessel(OBJHANDLE vessel);
    Vessel* vessel(OBJHANDLE handle) const;  // null for anything that is not a live vessel
    Vessel* vesselByName(const std::string& name) const;
    const std::vector<Vessel*>& vessels() const { return order_; }

    // Clock and motion.
    double simTime() const { return simTime_; }
    void setSimTime(double t) { simTime_ = t; }
    double mjd() const { return mjd_; }
    void setMjd(double mjd) { mjd_ = mjd; }
    // One step: clbkPreStep for every vessel, then free vessels move and children follow.
    void step(double dt);

    // Poses.
    void setPose(OBJHANDLE vessel, const VECTOR3& pos, const MATRIX3& rot);
    void setAttitude(OBJHANDLE vessel, const VECTOR3& arotDegrees);
    static MATRIX3 rotationFromAngles(const VECTOR3& arotDegrees);
    static VECTOR3 anglesFromRotation(const MATRIX3& rot);

    // Docks and attachments driven from outside the modules (scenario lines, tests).
    bool dock(OBJHANDLE a, UINT portA, OBJHANDLE b, UINT portB);
    bool attach(OBJHANDLE parent, UINT childPointIndex, OBJHANDLE child, UINT parentPointIndex);

    // Keys go to the focus vessel. Modifiers are the keys held with it.
    void setFocus(OBJHANDLE vessel) { focus_ = vessel; }
    OBJHANDLE focus() const { return focus_; }
    int pressKey(DWORD key, const std::vector<DWORD>& held = {});
    int releaseKey(DWORD key, const std::vector<DWORD>& held = {});

    // The pending input box, answered by a script or a test.
    const std::optional<InputBox>& pendingInputBox() const { return inputBox_; }
    void openInputBox(InputBox box);
    // Answers the pending box; returns what its callback returned. No box: nullopt.
    std::optional<bool> answerInputBox(const std::string& text);

    // Scenario text. Loading creates every ship of the scenario in order and sets the
    // focus; it returns an error text, empty on success.
    std::string loadScenario(const std::filesystem::path& file);
    std::string loadScenarioText(const std::string& text);
    std::string saveScenarioText();
    // The lines of one vessel's block between "Name:Class" and "END", as saved.
    std::vector<std::string> saveVesselLines(OBJHANDLE vessel);

    // The scenario's sections besides the ships.
    struct ScenarioInfo {
        std::vector<std::string> description;
        std::string system = "Sol";
        std::vector<std::string> otherSections;  // kept whole and written back
    };
    ScenarioInfo& scenarioInfo() { return scenario_; }

private:
    Host();
    void moveVessels(double dt);
    void resolvePendingLinks();
    int deliverKey(DWORD key, bool down, const std::vector<DWORD>& held);

    std::filesystem::path root_;
    std::vector<std::string> log_;
    std::unique_ptr<std::ofstream> logFile_;  // open for the whole run
    Journal journal_;
    std::vector<std::unique_ptr<Module>> modules_;
    std::vector<Vessel*> order_;
    double simTime_ = 0;
    double mjd_ = 51544.5;
    OBJHANDLE focus_ = nullptr;
    std::optional<InputBox> inputBox_;
    ScenarioInfo scenario_;
};

}  // namespace hostsim
