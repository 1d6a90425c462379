#include "Script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "hostsim/Editor.h"
#include "hostsim/Render.h"

namespace hostsim {

namespace {

struct Verb {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    const char* usage;
};

// Every action the runner knows, with the words it takes after the verb.
constexpr Verb kVerbs[] = {
    {"focus", 1, 1, "at T focus VESSEL"},
    {"key", 2, 4, "at T key VESSEL KEY [ctrl] [shift]"},
    {"input", 1, 2, "at T input VESSEL TEXT..."},
    {"save", 1, 1, "at T save FILE"},
    {"dump", 1, 1, "at T dump FILE.json"},
    {"editor", 3, 99, "at T editor VESSEL PAGE ACTION ..."},
    {"render", 1, 3, "at T render FILE.png [VESSEL] [VIEW]"},
};

// The line up to its comment: a "#" that begins the line, or that stands as a word of its
// own after an action, outside double quotes, starts one; "#2" within an action is text.
std::string withoutComment(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return {};
    bool quoted = false;
    auto blank = [&](size_t i) { return i == line.size() || line[i] == ' ' || line[i] == '\t'; };
    for (size_t i = first + 1; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == '#' && !quoted && blank(i - 1) && blank(i + 1)) return line.substr(0, i);
    }
    return line;
}

bool validKey(const std::string& key) {
    if (key.size() == 1) return std::isalpha(static_cast<unsigned char>(key[0])) != 0;
    return key == "space" || key == "SPACE";
}

}  // namespace

bool parseScript(const std::string& text, Script& script, std::string& error) {
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = "script line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        if (raw.find('\0') != std::string::npos) return fail("holds a NUL byte: a script is a text file");
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        raw = withoutComment(raw);
        std::string_view line = raw;
        auto first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;

        std::istringstream words(raw);
        std::string at, time, verb;
        words >> at >> time >> verb;
        if (at != "at") return fail("expected \"at T ACTION ...\", found \"" + raw.substr(first) + "\"");
        ScriptAction action;
        action.line = lineNo;
        auto [end, ec] = std::from_chars(time.data(), time.data() + time.size(), action.time);
        if (ec != std::errc() || end != time.data() + time.size() || !std::isfinite(action.time) || action.time < 0)
            return fail("\"" + time + "\" is not a time in seconds");
        const Verb* known = nullptr;
        for (const Verb& v : kVerbs)
            if (verb == v.name) known = &v;
        if (!known) return fail(verb.empty() ? "missing action" : "unknown action \"" + verb + "\"");
        action.verb = verb;

        if (verb == "editor") {
            std::string rest;
            std::getline(words, rest);
            EditorCommand command;
            std::string why = parseEditorCommand(rest, command);
            if (!why.empty()) return fail(why + " (usage: " + known->usage + ")");
            action.args = {command.vessel, command.page};
            action.args.insert(action.args.end(), command.words.begin(), command.words.end());
        } else if (verb == "input") {
            std::string vessel;
            words >> vessel;
            std::string rest;
            std::getline(words, rest);
            rest.erase(0, rest.find_first_not_of(" \t"));
            rest.erase(rest.find_last_not_of(" \t") + 1);
            if (vessel.empty() || rest.empty()) return fail(std::string("usage: ") + known->usage);
            action.args = {vessel, rest};
        } else {
            std::string word;
            while (words >> word) action.args.push_back(word);
            if (action.args.size() < known->minArgs || action.args.size() > known->maxArgs)
                return fail(std::string("usage: ") + known->usage);
        }
        if (verb == "key") {
            if (!validKey(action.args[1])) return fail("\"" + action.args[1] + "\" is not a key (a letter or space)");
            for (size_t i = 2; i < action.args.size(); ++i)
                if (action.args[i] != "ctrl" && action.args[i] != "shift")
                    return fail("\"" + action.args[i] + "\" is not a modifier (ctrl or shift)");
        }
        if (verb == "render" && action.args.size() == 3) {
            const auto& views = viewNames();
            if (std::find(views.begin(), views.end(), action.args[2]) == views.end())
                return fail("\"" + action.args[2] + "\" is not a view (iso, top, side, front)");
        }
        script.actions.push_back(std::move(action));
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.time < b.time; });
    return true;
}

}  // namespace hostsim
