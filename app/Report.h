// What a run shows a user: the JSON dump of every vessel, and the end-of-run summary.
#pragma once

#include <string>
#include <string_view>

namespace hostsim {

// The whole scene as JSON (field names in the README).
std::string dumpJson();

// One line per vessel with its class and its own scenario lines, attachments and
// motions, then the count of log lines.
std::string summaryText();

// The text with every control byte but the line end written as \xNN, so that a name
// that holds an escape sequence cannot work the terminal that shows it.
std::string printable(std::string_view text);

}  // namespace hostsim
