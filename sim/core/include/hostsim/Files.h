// The files of a run: inputs read whole within a limit, outputs that replace what was
// there only once they are complete, and the inputs that nothing the run writes may
// overwrite.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace hostsim {

// The most an input file (a scenario, a script, a class's configuration) may hold: far
// more than any real one, and far less than would run the machine out of memory.
constexpr std::uintmax_t kMaxInputBytes = std::uintmax_t(64) << 20;

// Reads the whole of a regular file into `text`. Refuses a folder, anything else that
// is not a regular file (a device such as /dev/zero, a pipe: they may never end) and a
// file larger than kMaxInputBytes. Returns an error text naming the file, empty on
// success.
std::string readInputFile(const std::filesystem::path& file, std::string& text);

// The file that an output named `file` writes: a symbolic link stays a link, and the
// file it names is written, whether or not it exists yet.
std::filesystem::path outputTarget(const std::filesystem::path& file);
// Whether two outputs would write the same file, by any path.
bool sameOutput(const std::filesystem::path& a, const std::filesystem::path& b);

// An output that replaces its target only when it is complete. It is written to a
// temporary file beside the target (see outputTarget), which then takes the target's
// place with the target's permissions, owner and group; a failure at any point leaves
// the target as it was and removes the temporary file. A device or a pipe cannot be
// replaced and is written directly. Every error text names the target.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { abandon(); }

    // `what` names the output in error texts ("the log "), or is empty.
    std::string open(const std::filesystem::path& file, std::string_view what = {});
    bool isOpen() const { return fd_ >= 0; }
    // Appends with the system's write call alone, so that a handler of a fatal signal
    // may call it; a failure is kept for commit to report.
    void write(std::string_view bytes);
    // Makes what was written the target's content. Returns an error text, empty on success.
    std::string commit();
    // Removes the temporary file; the target stays as it was.
    void abandon();
    // For a handler of a fatal signal: makes what was written so far the target's
    // content, with the system's calls alone.
    void commitAtCrash();

private:
    std::string failure(int error) const;
    std::filesystem::path target_;
    std::string what_;
    std::filesystem::path temporary_;  // empty when the target is written directly
    int fd_ = -1;
    int error_ = 0;  // the system's error number of the first failed write
};

// Writes the bytes as the whole content of `file`, through a ReplacingFile. Refuses an
// input of the run. Returns an error text, empty on success.
std::string writeFileSafely(const std::filesystem::path& file, std::string_view bytes);

// The inputs of a run (scenario, script): nothing the host writes may be one of them.
void protectInput(const std::filesystem::path& file);
void clearProtectedInputs();
// The input that `file` is (the same file, by any path), or empty.
std::filesystem::path protectedInput(const std::filesystem::path& file);

}  // namespace hostsim
