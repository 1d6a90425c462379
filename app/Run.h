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
};

// Runs and returns the process's exit status; errors go to `err` as one line each.
int runScenario(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hostsim
