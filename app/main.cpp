// hostsim: runs vessel modules headless, as the simulator would.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>
#include <unistd.h>

#include "Run.h"

namespace {

// The addon tree beside the program: the build's tree, or the installed one.
std::filesystem::path defaultRoot() {
    if (const char* env = std::getenv("HOSTSIM_ROOT")) return env;
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (auto candidate : {exe.parent_path().parent_path() / "addon",
                               exe.parent_path().parent_path() / "share" / "hostsim"})
            if (std::filesystem::is_directory(candidate / "Config", ec)) return candidate;
    }
    return HOSTSIM_DEFAULT_ROOT;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"hostsim: runs the Spanrig and Haulbed vessel modules headless, as the simulator would."};
    app.require_subcommand(1);

    hostsim::RunOptions options;
    options.root = defaultRoot();
    std::string save, log, script, root;
    CLI::App* run = app.add_subcommand("run", "Load a scenario, run it, and save it.");
    run->add_option("scenario", options.scenario, "Scenario file to load")->required();
    run->add_option("--root", root, "Addon tree with Config/, Modules/, Meshes/ (default: " + options.root.string() + ")");
    run->add_option("--dt", options.dt, "Step length in seconds")->capture_default_str();
    run->add_option("--for", options.duration, "Simulated time to run, in seconds")->capture_default_str();
    run->add_option("--script", script, "File of timed actions");
    run->add_option("--save", save, "Write the scenario at the end to FILE, or - for standard output");
    run->add_option("--log", log, "Write the log to FILE");

    CLI11_PARSE(app, argc, argv);
    if (!root.empty()) options.root = root;
    if (!save.empty()) options.save = save;
    if (!log.empty()) options.log = log;
    if (!script.empty()) options.script = script;
    return hostsim::runScenario(options, std::cout, std::cerr);
}
