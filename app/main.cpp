// hostsim: runs vessel modules headless, as the simulator would.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>

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

const char* kRunFooter = R"(Script actions, one per line (# starts a comment; blank lines are allowed):
  at T focus VESSEL                   give VESSEL the input focus
  at T key VESSEL KEY [ctrl] [shift]  press KEY (a letter or space) on VESSEL
  at T input VESSEL TEXT...           answer the input box that VESSEL opened
  at T save FILE                      save the scenario as it stands
  at T dump FILE.json                 write the scene as JSON
  at T editor VESSEL PAGE ACTION ...  work a scenario-editor page of VESSEL as a person would;
      PAGE is the page's button label ("Vessel Management", in quotes, or Vessel_Management);
      ACTION: show | hide | select ID TEXT | closeup ID | click ID | check ID on|off
              | type ID TEXT | arrow ID up|down

Example:
  hostsim run Scenarios/Station.scn --for 120 --script Scenarios/Station.script \
      --save out.scn --dump out.json --log out.log)";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"hostsim runs the Spanrig and Haulbed vessel modules headless, as the simulator would:\n"
                 "it loads the modules, creates the vessels of a scenario, steps them, delivers\n"
                 "scripted keys and typed commands, and saves the scenario.",
                 "hostsim"};
    app.require_subcommand(1);
    app.footer("Run 'hostsim run --help' for the options of a run.");

    hostsim::RunOptions options;
    options.root = defaultRoot();
    std::string save, log, script, root, dump;
    CLI::App* run = app.add_subcommand("run", "Load a scenario, run it with a script's actions, save and report it.");
    run->add_option("scenario", options.scenario, "Scenario file to load")->required();
    run->add_option("--root", root, "Addon tree with Config/, Modules/, Meshes/ [" + options.root.string() + "]");
    run->add_option("--dt", options.dt, "Step length in seconds")->capture_default_str();
    run->add_option("--for", options.duration, "Simulated time to run, in seconds")->capture_default_str();
    run->add_option("--script", script, "File of timed actions (below)");
    run->add_option("--save", save, "Save the scenario at the end to FILE (- for standard output)");
    run->add_option("--dump", dump, "Write the scene at the end as JSON to FILE (- for standard output)");
    run->add_option("--log", log, "Write the log to FILE");
    run->add_flag("--quiet", [&options](int64_t) { options.summary = false; }, "Print no summary");
    run->footer(kRunFooter);

    CLI11_PARSE(app, argc, argv);
    if (!root.empty()) options.root = root;
    if (!save.empty()) options.save = save;
    if (!dump.empty()) options.dump = dump;
    if (!log.empty()) options.log = log;
    if (!script.empty()) options.script = script;
    return hostsim::runScenario(options, std::cout, std::cerr);
}
