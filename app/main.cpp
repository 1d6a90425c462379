// hostsim: runs vessel modules headless, as the simulator would.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "AddonVersion.h"
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

// The help's closing text. Its examples name the scenarios of the addon tree that the
// program runs by default, so that they work from any folder.
std::string runFooter(const std::filesystem::path& root) {
    return R"(Script actions, one per line (a # alone as a word starts a comment; blank lines are allowed):
  at T focus VESSEL                   give VESSEL the input focus
  at T key VESSEL KEY [ctrl] [shift]  press KEY (a letter or space) on VESSEL
  at T input VESSEL TEXT...           answer the input box that VESSEL opened
  at T save FILE                      save the scenario as it stands
  at T dump FILE.json                 write the scene as JSON
  at T render FILE.png [VESSEL] [VIEW] draw the scene, or one vessel, as a picture
  at T editor VESSEL PAGE ACTION ...  work a scenario-editor page of VESSEL as a person would;
      PAGE is the page's button label ("Vessel Management", in quotes, or Vessel_Management);
      ACTION: show | hide | select ID TEXT | closeup ID | click ID | check ID on|off
              | type ID TEXT | arrow ID up|down

Example:
  hostsim run ")" + (root / "Scenarios" / "Spanrig" / "Carrier delivery.scn").string() +
           R"(" --for 120 \
      --save out.scn --dump out.json --log out.log)";
}

std::string renderFooter(const std::filesystem::path& root) {
    return "Example:\n  hostsim render \"" + (root / "Scenarios" / "Spanrig" / "Station spine.scn").string() +
           "\" --at 60 \\\n      --view iso --out station.png\n"
           "  With --every 10 the pictures are station-0000.png, station-0001.png, ... one every 10 s.";
}

int runCommandLine(int argc, char** argv) {
    CLI::App app{"hostsim runs the Spanrig and Haulbed vessel modules headless, as the simulator would:\n"
                 "it loads the modules, creates the vessels of a scenario, steps them, delivers\n"
                 "scripted keys and typed commands, and saves the scenario.",
                 "hostsim"};
    app.set_version_flag("--version", "hostsim " ADDON_VERSION_TEXT "\n" ADDON_COPYRIGHT ", MIT licence");
    app.require_subcommand(1);
    // Options are written "--name" everywhere; "/path" is a path, also on Windows.
    app.allow_windows_style_options(false);
    app.footer("Run 'hostsim run --help' for the options of a run.");

    hostsim::RunOptions options;
    options.root = defaultRoot();
    std::string save, log, script, root, dump, render, vessel, view = "iso", size = "1024x768";
    std::string unknownClass = "error";
    double every = 0;

    // Options that run and render share.
    auto runOptions = [&](CLI::App* cmd) {
        cmd->add_option("scenario", options.scenario, "Scenario file to load")->required();
        cmd->add_option("--root", root, "Addon tree with Config/, Modules/, Meshes/ [" + options.root.string() + "]");
        cmd->add_option("--dt", options.dt, "Step length in seconds")->capture_default_str();
        cmd->add_option("--script", script, "File of timed actions (below)");
        cmd->add_option("--log", log, "Write the log to FILE");
        cmd->add_option("--unknown-class", unknownClass,
                        "What to do with a vessel whose class has no configuration file: error (refuse the "
                        "scenario) or plain (load it as a plain vessel without a module, keeping its lines)")
            ->check(CLI::IsMember({"error", "plain"}))
            ->capture_default_str();
    };
    auto pictureOptions = [&](CLI::App* cmd) {
        cmd->add_option("--vessel", vessel, "Draw only this vessel (and what hangs from it), in its own frame");
        cmd->add_option("--view", view, "iso, top, side or front")->capture_default_str();
        cmd->add_option("--size", size, "Picture size WIDTHxHEIGHT in pixels")->capture_default_str();
        cmd->add_option("--every", every, "A numbered picture every SECONDS of simulated time");
    };

    CLI::App* run = app.add_subcommand("run", "Load a scenario, run it with a script's actions, save and report it.");
    runOptions(run);
    run->add_option("--for", options.duration, "Simulated time to run, in seconds")->capture_default_str();
    run->add_option("--save", save, "Save the scenario at the end to FILE (- for standard output)");
    run->add_option("--dump", dump, "Write the scene at the end as JSON to FILE (- for standard output)");
    run->add_option("--render", render, "Draw the scene at the end as a PNG picture (see --view, --every)");
    pictureOptions(run);
    bool quiet = false;
    run->add_flag("--quiet", quiet, "Print no summary, nor how a long run goes");
    run->footer(runFooter(options.root));

    CLI::App* picture = app.add_subcommand("render", "Run a scenario to a time and draw it as a PNG picture.");
    runOptions(picture);
    picture->add_option("--at", options.duration, "Simulated time of the picture, in seconds")->capture_default_str();
    picture->add_option("--out", render, "The PNG file to write")->required();
    pictureOptions(picture);
    picture->footer(renderFooter(options.root));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end well; anything else is a bad command line.
        return app.exit(e) == 0 ? hostsim::kDone : hostsim::kBadUsage;
    }
    // An option given with an empty name is given, and refused by the run.
    CLI::App* used = run->parsed() ? run : picture;
    auto given = [used](const char* name) {
        const CLI::Option* option = used->get_option_no_throw(name);
        return option && option->count() > 0;
    };
    if (given("--root")) options.root = root;
    if (unknownClass == "plain") options.unknownClass = hostsim::UnknownClass::Plain;
    if (given("--save")) options.save = save;
    if (given("--dump")) options.dump = dump;
    if (given("--log")) options.log = log;
    if (given("--script")) options.script = script;
    if (given("--render") || given("--out")) {
        hostsim::RenderRequest request;
        request.file = render;
        request.vessel = vessel;
        request.view = view;
        char x = 0;
        if (std::sscanf(size.c_str(), "%d%c%d", &request.width, &x, &request.height) != 3 || x != 'x') {
            std::cerr << "hostsim: --size takes WIDTHxHEIGHT, such as 1024x768\n";
            return hostsim::kBadUsage;
        }
        options.render = request;
        options.renderEvery = every;
    }
    options.summary = !quiet && !picture->parsed();
    // A long run shows how it goes, where a person watches standard error.
    options.progress = !quiet && isatty(fileno(stderr));
    return hostsim::runScenario(options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A closed pipe or a file past the size limit is a failed write, told as such, not
    // a death that takes the log with it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        return runCommandLine(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("hostsim: out of memory\n", stderr);
        return hostsim::kIoFailure;
    }
}
