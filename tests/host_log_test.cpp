// The host's log: every line goes to the log file, while memory keeps only the first
// lines, so that a long run does not grow by its log.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "HostTest.h"

namespace {

class HostLog : public HostTest {};

TEST_F(HostLog, memory_keeps_the_first_lines_while_the_file_gets_and_the_count_counts_every_one) {
    const auto file = std::filesystem::temp_directory_path() / ("host_log_test_" + std::to_string(::getpid()) + ".log");
    ASSERT_EQ(host().setLogFile(file), "");
    const std::size_t written = hostsim::Host::kLogLinesKept + 5;
    for (std::size_t i = 0; i < written; ++i) host().writeLog("line " + std::to_string(i));
    ASSERT_EQ(host().closeLog(), "");

    EXPECT_EQ(host().logLineCount(), written);
    ASSERT_EQ(host().log().size(), hostsim::Host::kLogLinesKept);
    EXPECT_EQ(host().log().back(), "line " + std::to_string(hostsim::Host::kLogLinesKept - 1));
    std::ifstream in(file);
    std::size_t lines = 0;
    std::string line, last;
    while (std::getline(in, line)) ++lines, last = line;
    EXPECT_EQ(lines, written);
    EXPECT_EQ(last, "line " + std::to_string(written - 1));

    host().reset();
    EXPECT_EQ(host().logLineCount(), 0u);
    std::filesystem::remove(file);
}

}  // namespace
