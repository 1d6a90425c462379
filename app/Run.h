// One hostsim run: load a scenario, run its steps with a script's actions, save.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "hostsim/Host.h"
#include "hostsim/Render.h"

namespace hostsim {

struct RunOptions {
    std::filesystem::path scenario;
    std::filesystem::path root;
    std::optional<std::filesystem::path> script;
    std::optional<std::string> save;  // a file, or "-" for standard output
    std::optional<std::filesystem::path> log;
    std::optional<std::string> dump;  // JSON of the scene at the end; a file, or "-"
    // A picture at the end of the run; with renderEvery > 0 a numbered picture every
    // renderEvery seconds of simulation time instead.
    std::optional<RenderRequest> render;
    double renderEvery = 0;
    UnknownClass unknownClass = UnknownClass::Error;
    double dt = 0.1;
    double duration = 0;
    bool summary = true;
    // A line on `err` that shows how a long run goes (for a terminal).
    bool progress = false;
};

// The exit statuses of hostsim. A run that meets several failures ends with the
// status of the first.
enum ExitStatus : int {
    kDone = 0,          // everything asked was done
    kActionFailed = 1,  // an action of the script could not be carried out
    kBadUsage = 2,      // the command line asks for something that cannot be done
    kBadInput = 3,      // the scenario or the script has an error (the message names its line)
    kIoFailure = 4,     // a file could not be read or written
};

// Runs and returns the process's exit status; errors go to `err`, warnings too.
int runScenario(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hostsim
