#include "Run.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Report.h"
#include "Script.h"
#include "hostsim/Editor.h"
#include "hostsim/Host.h"
#include "hostsim/Scene.h"

namespace hostsim {

namespace {

// Scan codes of the letters, in alphabetical order.
constexpr DWORD kLetterKeys[26] = {
    OAPI_KEY_A, OAPI_KEY_B, OAPI_KEY_C, OAPI_KEY_D, OAPI_KEY_E, OAPI_KEY_F, OAPI_KEY_G, OAPI_KEY_H, OAPI_KEY_I,
    OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_L, OAPI_KEY_M, OAPI_KEY_N, OAPI_KEY_O, OAPI_KEY_P, OAPI_KEY_Q, OAPI_KEY_R,
    OAPI_KEY_S, OAPI_KEY_T, OAPI_KEY_U, OAPI_KEY_V, OAPI_KEY_W, OAPI_KEY_X, OAPI_KEY_Y, OAPI_KEY_Z};

DWORD keyCode(const std::string& key) {
    if (key.size() == 1) return kLetterKeys[std::tolower(static_cast<unsigned char>(key[0])) - 'a'];
    return OAPI_KEY_SPACE;
}

// Warnings of the host go to standard error as they come.
void showWarnings(std::ostream& err) {
    for (const std::string& w : Host::instance().takeWarnings()) err << "hostsim: warning: " << w << "\n";
}

bool writeText(const std::string& target, const std::string& text, std::ostream& out, std::ostream& err) {
    if (target == "-") {
        out << text;
        return true;
    }
    std::ofstream file(target);
    file << text;
    if (!file) {
        err << "hostsim: cannot write " << target << "\n";
        return false;
    }
    return true;
}

// Carries out one action; returns false (with a message) when it could not be done.
bool perform(const ScriptAction& a, std::ostream& out, std::ostream& err) {
    Host& host = Host::instance();
    auto where = "script line " + std::to_string(a.line) + " (t=" + std::to_string(a.time) + "): ";
    auto needVessel = [&](const std::string& name) -> Vessel* {
        Vessel* v = host.vesselByName(name);
        if (!v) err << "hostsim: " << where << "no vessel named " << name << "\n";
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
        if (!box || box->opener != v->handle) {
            err << "hostsim: " << where << v->name << " has no open input box\n";
            return false;
        }
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
        if (!why.empty()) err << "hostsim: " << where << why << "\n";
        return why.empty();
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
        if (!why.empty()) err << "hostsim: " << where << why << "\n";
        return why.empty();
    }
    if (a.verb == "save") return writeText(a.args[0], host.saveScenarioText(), out, err);
    if (a.verb == "dump") return writeText(a.args[0], dumpJson(), out, err);
    err << "hostsim: " << where << "unknown action " << a.verb << "\n";
    return false;
}

}  // namespace

int runScenario(const RunOptions& options, std::ostream& out, std::ostream& err) {
    Host& host = Host::instance();
    host.reset();
    host.setRoot(options.root);
    host.setUnknownClass(options.unknownClass);
    if (options.log) host.setLogFile(*options.log);

    Script script;
    if (options.script) {
        std::ifstream in(*options.script);
        if (!in) {
            err << "hostsim: cannot read script " << options.script->string() << "\n";
            return 2;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!parseScript(text.str(), script, error)) {
            err << "hostsim: " << options.script->string() << ": " << error << "\n";
            return 2;
        }
    }
    if (!(options.dt > 0) || !std::isfinite(options.dt) || !(options.duration >= 0)) {
        err << "hostsim: --dt must be above 0 and --for at least 0\n";
        return 2;
    }

    std::string error = host.loadScenario(options.scenario);
    showWarnings(err);
    if (!error.empty()) {
        err << "hostsim: " << options.scenario.string() << ": " << error << "\n";
        host.reset();
        return 1;
    }

    // Every transform must name a group its mesh has; mismatches go to the log.
    for (const Vessel* v : host.vessels()) checkAnimatedGroups(*v);

    // Actions due at a time run before the step that starts at or after it.
    bool ok = true;
    size_t next = 0;
    const double start = host.simTime();
    const double end = start + options.duration;
    const double eps = options.dt * 1e-6;
    auto runDue = [&](double now) {
        for (; next < script.actions.size() && start + script.actions[next].time <= now + eps; ++next) {
            ok = perform(script.actions[next], out, err) && ok;
            showWarnings(err);
        }
    };
    std::optional<RenderSequence> pictures;
    if (options.render && options.renderEvery > 0) pictures.emplace(*options.render, options.renderEvery, start);
    auto takePicture = [&] {
        if (!pictures) return;
        std::string why = pictures->poll(host.simTime());
        if (!why.empty()) {
            err << "hostsim: render: " << why << "\n";
            ok = false;
        }
    };
    for (long stepIndex = 0;; ++stepIndex) {
        double now = start + double(stepIndex) * options.dt;
        runDue(now);
        takePicture();
        if (now + eps >= end) break;
        host.step(std::min(options.dt, end - now));
    }
    for (; next < script.actions.size(); ++next)
        err << "hostsim: script line " << script.actions[next].line << ": at " << script.actions[next].time
            << " is after the end of the run\n";

    if (options.save) ok = writeText(*options.save, host.saveScenarioText(), out, err) && ok;
    if (options.dump) ok = writeText(*options.dump, dumpJson(), out, err) && ok;
    if (options.render && !pictures) {
        std::string why = renderPng(*options.render);
        if (!why.empty()) err << "hostsim: render: " << why << "\n";
        ok = why.empty() && ok;
    }
    if (options.summary && options.save != "-" && options.dump != "-") out << summaryText();
    showWarnings(err);
    host.reset();
    return ok ? 0 : 1;
}

}  // namespace hostsim
