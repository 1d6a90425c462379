// Fuzz target: the script reader. Nothing may crash; a script it accepts has its
// actions in time order (file order within a time), at finite times from 0, each with
// a known verb, a line of the script, and the words its verb takes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "Script.h"
#include "hostsim/Editor.h"
#include "hostsim/Render.h"

namespace {

struct Shape {
    const char* verb;
    std::size_t minArgs, maxArgs;
};
// What each verb takes after it ("editor": vessel, page and at least the action).
constexpr Shape kShapes[] = {{"focus", 1, 1}, {"key", 2, 4},  {"input", 2, 2},    {"save", 1, 1},
                             {"dump", 1, 1},  {"editor", 3, 99}, {"render", 1, 3}};

std::string problemWith(const hostsim::ScriptAction& a, int lines) {
    if (!std::isfinite(a.time) || a.time < 0) return "time " + std::to_string(a.time);
    if (a.line < 1 || a.line > lines) return "line " + std::to_string(a.line) + " of " + std::to_string(lines);
    const Shape* shape = nullptr;
    for (const Shape& s : kShapes)
        if (a.verb == s.verb) shape = &s;
    if (!shape) return "verb \"" + a.verb + "\"";
    if (a.args.size() < shape->minArgs || a.args.size() > shape->maxArgs) return a.verb + " with " + std::to_string(a.args.size()) + " words";
    if (std::any_of(a.args.begin(), a.args.end(), [&](const std::string& w) { return w.empty(); }) && a.verb != "editor")
        return a.verb + " with an empty word";
    if (a.verb == "editor") {
        if (a.args[0].empty()) return "editor action without a vessel";
        if (auto why = hostsim::checkEditorAction({a.args.begin() + 2, a.args.end()}); !why.empty())
            return "editor action accepted that its check refuses: " + why;
    }
    if (a.verb == "render" && a.args.size() == 3) {
        const auto& views = hostsim::viewNames();
        if (std::find(views.begin(), views.end(), a.args[2]) == views.end()) return "render view " + a.args[2];
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    hostsim::Script script;
    std::string error;
    if (!hostsim::parseScript(text, script, error)) {
        if (error.rfind("script line ", 0) != 0) fuzzhost::fail("a refusal that names no line: " + error);
        return 0;
    }
    if (!error.empty()) fuzzhost::fail("an accepted script with an error: " + error);
    const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
    for (std::size_t i = 0; i < script.actions.size(); ++i) {
        const hostsim::ScriptAction& a = script.actions[i];
        if (auto problem = problemWith(a, lines); !problem.empty())
            fuzzhost::fail("action " + std::to_string(i) + " (line " + std::to_string(a.line) + "): " + problem);
        if (i == 0) continue;
        const hostsim::ScriptAction& before = script.actions[i - 1];
        if (before.time > a.time || (before.time == a.time && before.line >= a.line))
            fuzzhost::fail("actions out of order at line " + std::to_string(a.line));
    }
    return 0;
}
