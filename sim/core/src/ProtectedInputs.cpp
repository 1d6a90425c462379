// The inputs of a run, which nothing the run writes may overwrite.
#include <vector>

#include "hostsim/Files.h"

namespace hostsim {

namespace {

std::vector<std::filesystem::path>& inputs() {
    static auto& list = *new std::vector<std::filesystem::path>;  // outlives static destruction, as the host does
    return list;
}

}  // namespace

void protectInput(const std::filesystem::path& file) { inputs().push_back(file); }
void clearProtectedInputs() { inputs().clear(); }

std::filesystem::path protectedInput(const std::filesystem::path& file) {
    std::error_code ec;
    for (const auto& input : inputs())
        if (std::filesystem::equivalent(file, input, ec)) return input;
    return {};
}

}  // namespace hostsim
