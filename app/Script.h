// Scripts of timed actions for a hostsim run: one action per line, "at T ACTION ...".
#pragma once

#include <string>
#include <vector>

namespace hostsim {

struct ScriptAction {
    double time = 0;
    int line = 0;  // in the script file, from 1
    std::string verb;
    // For "input", args[1] holds the rest of the line as typed; for "editor", args are
    // the vessel, the page and the action's words.
    std::vector<std::string> args;
};

struct Script {
    std::vector<ScriptAction> actions;  // in time order, file order within a time
};

// Parses a whole script. On a bad line, returns false and sets `error` to a message
// that names the line.
bool parseScript(const std::string& text, Script& script, std::string& error);

}  // namespace hostsim
