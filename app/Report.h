// What a run shows a user: the JSON dump of every vessel, and the end-of-run summary.
#pragma once

#include <string>

namespace hostsim {

// The whole scene as JSON (field names in the README).
std::string dumpJson();

// One line per vessel with its class and its own scenario lines, attachments and
// motions, then the count of log lines.
std::string summaryText();

}  // namespace hostsim
