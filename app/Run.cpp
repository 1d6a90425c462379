#include "Run.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Progress.h"
#include "Report.h"
#include "Script.h"
#include "hostsim/Editor.h"
#include "hostsim/Files.h"
#include "hostsim/Host.h"
#include "hostsim/Scene.h"

namespace hostsim {

namespace {

// The most steps a run takes: a run longer than that is a mistake in --for or --dt,
// and would otherwise go on for ever.
constexpr double kMaxSteps = 1e9;

// Scan codes of the letters, in alphabetical order.
constexpr DWORD kLetterKeys[26] = {
    OAPI_KEY_A, OAPI_KEY_B, OAPI_KEY_C, OAPI_KEY_D, OAPI_KEY_E, OAPI_KEY_F, OAPI_KEY_G, OAPI_KEY_H, OAPI_KEY_I,
    OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_L, OAPI_KEY_M, OAPI_KEY_N, OAPI_KEY_O, OAPI_KEY_P, OAPI_KEY_Q, OAPI_KEY_R,
    OAPI_KEY_S, OAPI_KEY_T, OAPI_KEY_U, OAPI_KEY_V, OAPI_KEY_W, OAPI_KEY_X, OAPI_KEY_Y, OAPI_KEY_Z};

// Seconds and counts in messages, in their shortest exact form.
std::string formatTime(double v) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

DWORD keyCode(const std::string& key) {
    if (key.size() == 1) return kLetterKeys[std::tolower(static_cast<unsigned char>(key[0])) - 'a'];
    return OAPI_KEY_SPACE;
}

// What a run reports: the first failure's status, messages and warnings on `err`.
class Outcome {
public:
    Outcome(std::ostream& err, ProgressLine& progress) : err_(err), progress_(progress) {}
    int status() const { return status_; }
    bool failed() const { return status_ != kDone; }
    // Returns false, so that callers can write `return outcome.fail(...)`.
    bool fail(ExitStatus status, const std::string& message) {
        progress_.clear();
        err_ << "hostsim: " << printable(message) << "\n";
        if (status_ == kDone) status_ = status;
        return false;
    }
    // Warnings of the host go to standard error as they come.
    void showWarnings() {
        for (const std::string& w : Host::instance().takeWarnings()) {
            progress_.clear();
            err_ << "hostsim: warning: " << printable(w) << "\n";
        }
    }

private:
    std::ostream& err_;
    ProgressLine& progress_;
    int status_ = kDone;
};

// `where` names what asked for the output in a message: a script line, or nothing.
bool writeText(const std::string& target, const std::string& text, std::ostream& out, Outcome& outcome,
               const std::string& where = {}) {
    if (target == "-") {
        out << text << std::flush;
        return out ? true : outcome.fail(kIoFailure, where + "cannot write to standard output");
    }
    std::string why = writeFileSafely(target, text);
    return why.empty() ? true : outcome.fail(kIoFailure, where + why);
}

// Carries out one action; returns false (with a message) when it could not be done.
bool perform(const ScriptAction& a, std::ostream& out, Outcome& outcome) {
    Host& host = Host::instance();
    auto where = "script line " + std::to_string(a.line) + " (t=" + formatTime(a.time) + "): ";
    auto failed = [&](const std::string& why) { return outcome.fail(kActionFailed, where + why); };
    auto needVessel = [&](const std::string& name) -> Vessel* {
        Vessel* v = host.vesselByName(name);
        if (!v) failed("no vessel named " + name);
        return v;
    };
    if (a.verb == "focus") {
        Vessel* v = needVessel(a.args[0]);
        if (v) host.setFocus(v->handle);
        return v != nullptr;
    }
    if (a.verb == "key") {
        Vessel* v = needVessel(a.args[0]);
        if (!v) return false;
        host.setFocus(v->handle);
        std::vector<DWORD> held;
        for (size_t i = 2; i < a.args.size(); ++i) held.push_back(a.args[i] == "ctrl" ? OAPI_KEY_LCONTROL : OAPI_KEY_LSHIFT);
        DWORD key = keyCode(a.args[1]);
        int taken = host.pressKey(key, held);
        host.releaseKey(key, held);
        host.writeLog("Script: key " + a.args[1] + " to " + v->name + (taken ? " taken" : " not taken"));
        return true;
    }
    if (a.verb == "input") {
        Vessel* v = needVessel(a.args[0]);
        if (!v) return false;
        const auto& box = host.pendingInputBox();
        if (!box || box->opener != v->handle) return failed(v->name + " has no open input box");
        bool accepted = host.answerInputBox(a.args[1]).value_or(false);
        host.writeLog("Script: input \"" + a.args[1] + "\" to " + v->name + (accepted ? " accepted" : " refused"));
        return true;
    }
    if (a.verb == "editor") {
        std::vector<std::string> words(a.args.begin() + 2, a.args.end());
        std::string why = editorAction(a.args[0], a.args[1], words);
        std::string what = a.args[1];
        for (const auto& w : words) what += " " + w;
        host.writeLog("Script: editor " + a.args[0] + " " + what + (why.empty() ? "" : " failed: " + why));
        return why.empty() ? true : failed(why);
    }
    if (a.verb == "render") {
        RenderRequest request;
        request.file = a.args[0];
        // One word after the file is a view when it names one, else a vessel.
        for (size_t i = 1; i < a.args.size(); ++i) {
            const auto& views = viewNames();
            bool isView = std::find(views.begin(), views.end(), a.args[i]) != views.end();
            (isView && (i == 2 || a.args.size() == 2) ? request.view : request.vessel) = a.args[i];
        }
        std::string why = renderPng(request);
        return why.empty() ? true : failed(why);
    }
    if (a.verb == "save") return writeText(a.args[0], host.saveScenarioText(), out, outcome, where);
    if (a.verb == "dump") return writeText(a.args[0], dumpJson(), out, outcome, where);
    return failed("unknown action " + a.verb);
}

// A file a run writes, known before it starts: what asks for it, and what it holds.
struct Output {
    std::string what;  // "--save", "script line 3", ...
    std::string file;
    std::string kind;  // "save", "dump", "log", "render", "picture"
};

std::vector<Output> outputsOf(const RunOptions& o, const Script& script) {
    std::vector<Output> outputs;
    if (o.save && *o.save != "-") outputs.push_back({"--save", *o.save, "save"});
    if (o.dump && *o.dump != "-") outputs.push_back({"--dump", *o.dump, "dump"});
    if (o.log) outputs.push_back({"--log", o.log->string(), "log"});
    if (o.render) outputs.push_back({"--render", o.render->file.string(), "render"});
    for (const ScriptAction& a : script.actions) {
        const std::string line = "script line " + std::to_string(a.line);
        if ((a.verb == "save" || a.verb == "dump" || a.verb == "render") && a.args[0] != "-")
            outputs.push_back({line, a.args[0], a.verb});
        if (a.verb == "editor" && a.args[2] == "picture") outputs.push_back({line, a.args[3], "picture"});
    }
    return outputs;
}

// Two outputs of different kinds that name one file would leave only one of them. Two of
// one kind (a scenario saved at two times) each replace the file with the later state.
std::string sharedOutput(const std::vector<Output>& outputs) {
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (outputs[i].kind != outputs[j].kind && sameOutput(outputs[i].file, outputs[j].file))
                return outputs[i].what + ": " + outputs[i].file + " is written by " + outputs[j].what + " too (" +
                       outputs[j].file + ")";
    return {};
}

// Checks the options that need no file; an error text, empty when they are sound.
std::string checkOptions(const RunOptions& o) {
    const std::pair<const char*, bool> emptyNames[] = {
        {"--save", o.save && o.save->empty()},
        {"--dump", o.dump && o.dump->empty()},
        {"--log", o.log && o.log->empty()},
        {"--script", o.script && o.script->empty()},
        {"--render (or --out)", o.render && o.render->file.empty()},
    };
    for (const auto& [option, empty] : emptyNames)
        if (empty) return std::string(option) + " needs a file name";
    if (!std::isfinite(o.dt) || !(o.dt > 0)) return "--dt must be a number of seconds above 0";
    if (!std::isfinite(o.duration) || !(o.duration >= 0)) return "--for (or --at) must be a number of seconds, at least 0";
    if (o.duration / o.dt > kMaxSteps)
        return "--for " + formatTime(o.duration) + " with --dt " + formatTime(o.dt) + " would take more than " +
               formatTime(kMaxSteps) + " steps";
    if (o.render && o.renderEvery != 0 && (!std::isfinite(o.renderEvery) || !(o.renderEvery > 0)))
        return "--every must be a number of seconds above 0";
    // Added to the last time of the run, the interval must still give a later one.
    if (o.render && o.renderEvery > 0 && !(o.duration + o.renderEvery > o.duration))
        return "--every " + formatTime(o.renderEvery) + " is too short to count the seconds of --for " +
               formatTime(o.duration);
    if (o.render)
        if (std::string why = checkPicture(*o.render); !why.empty()) return "--render: " + why;
    return {};
}

// The root must be a folder before any class can be looked for in it.
std::string checkRoot(const std::filesystem::path& root) {
    std::error_code ec;
    if (std::filesystem::is_directory(root, ec)) return {};
    if (std::filesystem::exists(root, ec)) return "the addon tree " + root.string() + " (--root) is not a folder";
    return "the addon tree " + root.string() + " (--root) is missing";
}

// What can be checked once the scenario is loaded, before the run; an error text.
std::string checkLoaded(const RunOptions& o) {
    Host& host = Host::instance();
    if (o.render && !o.render->vessel.empty() && !host.vesselByName(o.render->vessel))
        return "--vessel " + o.render->vessel + ": there is no vessel of that name in the scenario";
    const double endMjd = host.mjd() + o.duration / 86400.0;
    if (!(std::fabs(endMjd) <= Host::kMaxAbsMjd))
        return "--for " + formatTime(o.duration) + " would run the date past MJD " + formatTime(Host::kMaxAbsMjd) +
               " (or before -" + formatTime(Host::kMaxAbsMjd) + "), beyond which hostsim cannot place the bodies";
    return {};
}

int runChecked(const RunOptions& options, std::ostream& out, Outcome& outcome, ProgressLine& progress) {
    Host& host = Host::instance();
    host.reset();
    clearProtectedInputs();
    host.setRoot(options.root);
    host.setUnknownClass(options.unknownClass);

    // ---- Everything that can be checked before the run ----
    if (std::string why = checkOptions(options); !why.empty()) {
        outcome.fail(kBadUsage, why);
        return outcome.status();
    }
    if (std::string why = checkRoot(options.root); !why.empty()) {
        outcome.fail(kIoFailure, why);
        return outcome.status();
    }
    std::string scenarioText, scriptText;
    if (std::string why = readInputFile(options.scenario, scenarioText); !why.empty()) {
        outcome.fail(kIoFailure, why);
        return outcome.status();
    }
    Script script;
    if (options.script) {
        if (std::string why = readInputFile(*options.script, scriptText); !why.empty()) {
            outcome.fail(kIoFailure, why);
            return outcome.status();
        }
        std::string error;
        if (!parseScript(scriptText, script, error)) {
            outcome.fail(kBadInput, options.script->string() + ": " + error);
            return outcome.status();
        }
        for (const ScriptAction& a : script.actions)
            if (a.time > options.duration) {
                outcome.fail(kBadUsage, options.script->string() + ": script line " + std::to_string(a.line) + ": at " +
                                            formatTime(a.time) + " is after the end of the run (--for " +
                                            formatTime(options.duration) + ")");
                return outcome.status();
            }
    }
    // Nothing the run writes may overwrite what it reads.
    protectInput(options.scenario);
    if (options.script) protectInput(*options.script);
    const auto outputs = outputsOf(options, script);
    for (const Output& output : outputs)
        if (auto input = protectedInput(output.file); !input.empty()) {
            outcome.fail(kBadUsage, output.what + ": " + output.file + " is an input of this run (" + input.string() + ")");
            return outcome.status();
        }
    if (std::string why = sharedOutput(outputs); !why.empty()) {
        outcome.fail(kBadUsage, why);
        return outcome.status();
    }
    if (options.log)
        if (std::string why = host.setLogFile(*options.log); !why.empty()) {
            outcome.fail(kIoFailure, why);
            return outcome.status();
        }

    // ---- Load ----
    std::string error = host.loadScenarioText(scenarioText);
    outcome.showWarnings();
    if (!error.empty()) {
        outcome.fail(kBadInput, options.scenario.string() + ": " + error);
        host.closeLog();
        host.reset();
        return outcome.status();
    }
    if (std::string why = checkLoaded(options); !why.empty()) {
        outcome.fail(kBadUsage, why);
        host.closeLog();
        host.reset();
        return outcome.status();
    }
    // Every transform must name a group its mesh has; mismatches go to the log.
    for (const Vessel* v : host.vessels()) checkAnimatedGroups(*v);

    // ---- Run: actions due at a time run before the step that starts at or after it ----
    size_t next = 0;
    const double start = host.simTime();
    const double end = start + options.duration;
    const long long steps = (long long)std::ceil(options.duration / options.dt - 1e-9);
    auto runDue = [&](double now, bool last) {
        for (; next < script.actions.size() && (last || start + script.actions[next].time <= now); ++next) {
            perform(script.actions[next], out, outcome);
            outcome.showWarnings();
        }
    };
    std::optional<RenderSequence> pictures;
    if (options.render && options.renderEvery > 0) pictures.emplace(*options.render, options.renderEvery, start);
    auto takePicture = [&] {
        if (!pictures) return;
        if (std::string why = pictures->poll(host.simTime()); !why.empty()) outcome.fail(kIoFailure, "render: " + why);
    };
    for (long long step = 0;; ++step) {
        const bool last = step >= steps;
        runDue(last ? end : start + double(step) * options.dt, last);
        takePicture();
        if (last) break;
        host.step(std::min(options.dt, end - (start + double(step) * options.dt)));
        progress.update(host.simTime() - start, options.duration, step + 1);
    }
    progress.clear();

    // ---- End ----
    if (options.save) writeText(*options.save, host.saveScenarioText(), out, outcome);
    if (options.dump) writeText(*options.dump, dumpJson(), out, outcome);
    if (options.render && !pictures)
        if (std::string why = renderPng(*options.render); !why.empty()) outcome.fail(kIoFailure, "render: " + why);
    if (options.summary && options.save != "-" && options.dump != "-") {
        out << summaryText() << std::flush;
        if (!out) outcome.fail(kIoFailure, "cannot write the summary to standard output");
    }
    outcome.showWarnings();
    if (std::string why = host.closeLog(); !why.empty()) outcome.fail(kIoFailure, why);
    host.reset();
    clearProtectedInputs();
    return outcome.status();
}

}  // namespace

int runScenario(const RunOptions& options, std::ostream& out, std::ostream& err) {
    ProgressLine progress(err, options.progress);
    Outcome outcome(err, progress);
    try {
        return runChecked(options, out, outcome, progress);
    } catch (const std::bad_alloc&) {
        outcome.fail(kIoFailure, "out of memory");
        // Letting go of the vessels and modules frees what writing out the log needs.
        Host::instance().reset();
        clearProtectedInputs();
        return outcome.status();
    }
}

}  // namespace hostsim
