// The headless host: loads modules, creates vessels, runs steps, delivers keys and
// input-box answers, reads and writes scenarios. One Host exists per process, as one
// simulator does; tests call reset() between cases.
#pragma once

#include <filesystem>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "hostsim/Journal.h"
#include "hostsim/World.h"

namespace hostsim {

class LogFile;

struct Module {
    std::string name;  // e.g. "Spanrig"
    std::filesystem::path path;
    void* library = nullptr;  // the loader's handle, also the module's instance handle
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
    std::filesystem::path file;    // the configuration file
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

// One vessel's block of a scenario: "Name:Class", its lines, "END".
struct VesselBlock {
    std::string name;
    std::string className;
    std::vector<std::string> lines;
    std::vector<int> lineNumbers;  // in the scenario file, one per line; empty when not from a file
};

// What to do with a vessel whose class has no configuration file.
enum class UnknownClass {
    Error,  // refuse the scenario
    Plain,  // load the vessel as a plain vessel without a module
};

class Host {
public:
    // The date of a scenario that gives none: J2000.
    static constexpr double kDefaultMjd = 51544.5;
    // Dates reach this many days either side of MJD 0 (some 27,000 years): ERFA places
    // every body at a finite place within them, and far outside them it cannot.
    static constexpr double kMaxAbsMjd = 1e7;

    static Host& instance();

    // Destroys every vessel, unloads every module, and clears log, journal, warnings,
    // pending input box and clock, and runs the reset hooks. The addon root stays.
    void reset();
    // What the parts built on the host keep for a run (the window system's windows,
    // classes and editor) is forgotten by a hook of theirs, which reset() runs once the
    // modules are gone. Hooks stay registered across resets.
    void addResetHook(std::function<void()> hook);

    void setRoot(const std::filesystem::path& root);
    const std::filesystem::path& root() const { return root_; }

    // Log: one entry per oapiWriteLog and per host message. The first kLogLinesKept
    // lines are kept in memory and the rest only counted, so that a long run does not
    // grow by its log; with a file set, every line also goes to a new file beside it,
    // which replaces it when the log is closed (by closeLog, reset, or a fatal or
    // ending signal). setLogFile and closeLog return an error text.
    static constexpr std::size_t kLogLinesKept = 10000;
    void writeLog(const std::string& line);
    const std::vector<std::string>& log() const { return log_; }
    // Every line written since the last reset, kept or not.
    std::size_t logLineCount() const { return logLineCount_; }
    std::string setLogFile(const std::filesystem::path& file);
    std::string closeLog();

    Journal& journal() { return journal_; }

    // Warnings: what is degraded but not fatal (a link that could not be made, a date
    // that did not read, ...). Each also goes to the log; the program shows them.
    void warn(const std::string& text);
    // The warnings since the last call.
    std::vector<std::string> takeWarnings();

    // Modules and classes. A class is read from its configuration file once; null when
    // it has none.
    const VesselClass* readClass(const std::string& className);
    // Where a class's configuration file is looked for, for messages.
    std::string classSearchPaths(const std::string& className) const;
    // A loaded module by name; null (logged, and why in `whyNot`) when it cannot be loaded.
    Module* loadModule(const std::string& name, std::string* whyNot = nullptr);
    Module* findModule(const std::string& name);
    void unloadModule(const std::string& name);
    void unloadModules();
    const std::vector<std::unique_ptr<Module>>& modules() const { return modules_; }

    // Vessels. createVessel runs the full creation order: defaults, ovcInit,
    // clbkSetClassCaps, the class file's items, clbkLoadStateEx with the given lines.
    // Returns null when the name is taken or the class has no configuration file
    // (unless unknown classes are loaded as plain vessels).
    OBJHANDLE createVessel(const VesselBlock& block);
    OBJHANDLE createVessel(const std::string& name, const std::string& className,
                           const std::vector<std::string>& scenarioLines = {});
    void setUnknownClass(UnknownClass mode) { unknownClass_ = mode; }
    void destroyVessel(OBJHANDLE vessel);
    // The records handed out here have current poses (see settlePlacements).
    Vessel* vessel(OBJHANDLE handle) const;  // null for anything that is not a live vessel
    Vessel* vesselByName(const std::string& name) const;
    const std::vector<Vessel*>& vessels() const;
    std::size_t vesselCount() const { return order_.size(); }
    OBJHANDLE vesselAt(std::size_t index) const { return index < order_.size() ? order_[index]->handle : nullptr; }
    // A hanging vessel is placed when its pose is read, not when its parent or a point
    // moves; this places every vessel whose placement is due.
    void settlePlacements() const;
    // Steps taken through trees of hanging vessels since the last reset (going up to
    // check a link, placing, marking what hangs below): for tests that check that
    // loading and placing grow in proportion to the vessels, however deep the trees.
    std::uint64_t treeSteps() const;

    // Clock and motion. The date runs from the scenario's date with simulation time.
    double simTime() const { return simTime_; }
    void setSimTime(double t);
    double mjd() const;
    void setMjd(double mjd);
    // One step: clbkPreStep for every vessel, then free vessels move and children follow.
    void step(double dt);

    // Poses. A vessel's global position is its body's position plus its own.
    VECTOR3 globalPosition(const Vessel& v);
    void setPose(OBJHANDLE vessel, const VECTOR3& pos, const MATRIX3& rot);
    // Keeps a vessel where it is when its motion would leave the range of numbers.
    void holdPose(Vessel& v);
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
    // focus; it returns an error text that names the line, empty on success.
    std::string loadScenario(const std::filesystem::path& file);
    std::string loadScenarioText(const std::string& text);
    // The scenario as it stands, every section in the place it was read.
    std::string saveScenarioText();
    // The lines of one vessel's block between "Name:Class" and "END", as saved.
    std::vector<std::string> saveVesselLines(OBJHANDLE vessel);

    // The scenario's sections in the order they were read.
    struct Section {
        enum class Kind { Description, Environment, Focus, Ships, Other };
        Kind kind = Kind::Other;
        // Description: its text; Environment and Focus: their items without comments;
        // Other: every line, BEGIN and END included, as read.
        std::vector<std::string> lines;
    };
    struct ScenarioInfo {
        std::vector<Section> sections;
        std::string system = "Sol";
        int dateItem = -1;         // the environment item that holds the date, if any
        std::string dateScale = "MJD";  // as the file gave it: MJD, JD or JE
        std::string lineEnd = "\n";  // as the file's first line ended
        bool byteOrderMark = false;
    };
    ScenarioInfo& scenarioInfo() { return scenario_; }

private:
    Host();
    ~Host();
    void moveVessels(double dt);
    void resolvePendingLinks();
    std::string linkProblem(const struct PendingLink& link);
    std::string checkClasses(const std::vector<VesselBlock>& blocks, const std::vector<int>& headLines);
    bool looksLikeVesselHead(std::string_view line);
    int deliverKey(DWORD key, bool down, const std::vector<DWORD>& held);

    std::filesystem::path root_;
    std::vector<std::string> log_;
    std::size_t logLineCount_ = 0;
    std::unique_ptr<LogFile> logFile_;  // open for the whole run
    Journal journal_;
    std::vector<std::string> warnings_;
    std::vector<std::unique_ptr<Module>> modules_;
    std::map<std::string, std::optional<VesselClass>> classes_;  // by lower-case name
    std::map<std::string, std::string> moduleFailures_;  // why, by lower-case module name
    UnknownClass unknownClass_ = UnknownClass::Error;
    std::vector<Vessel*> order_;
    std::vector<Vessel*> freeVessels_;  // those of order_ that hang from nothing; see moveVessels
    std::unordered_map<std::string, Vessel*> byName_;  // by lower-case name
    double simTime_ = 0;
    double timeOrigin_ = 0;    // simulation time = origin + steps x length
    double stepLength_ = 0;
    long long stepsAtLength_ = 0;
    double startMjd_ = kDefaultMjd;  // the date at simulation time 0
    BodyTable bodies_;
    OBJHANDLE focus_ = nullptr;
    std::optional<InputBox> inputBox_;
    ScenarioInfo scenario_;
    std::vector<std::function<void()>> resetHooks_;
};

}  // namespace hostsim
