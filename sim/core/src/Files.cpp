#include "hostsim/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace hostsim {

namespace {

std::vector<std::filesystem::path>& inputs() {
    static auto& list = *new std::vector<std::filesystem::path>;  // outlives static destruction, as the host does
    return list;
}

std::string systemError(const std::string& what, const std::filesystem::path& file) {
    return "cannot " + what + " " + file.string() + ": " + std::strerror(errno);
}

// Writes everything, retrying short writes; false with errno set on failure.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(size_t(n));
    }
    return true;
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

std::string writeFileSafely(const std::filesystem::path& file, std::string_view bytes) {
    if (auto input = protectedInput(file); !input.empty())
        return file.string() + " is an input of this run (" + input.string() + "); it is not written";

    // A symbolic link stays a link: the file it names is replaced.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::is_symlink(file, ec) ? std::filesystem::canonical(file, ec) : file;
    if (ec) target = file;

    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return target.string() + " is a folder";
    if (exists && !S_ISREG(st.st_mode)) {  // a device or a pipe cannot be replaced
        int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return systemError("open", target);
        bool ok = writeAll(fd, bytes);
        int writeErrno = errno;
        if (::close(fd) != 0 && ok) return systemError("write", target);
        errno = writeErrno;
        return ok ? std::string() : systemError("write", target);
    }

    std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return systemError("write to the folder of", target);
    const std::string temporary(name.data());
    auto fail = [&](const std::string& what) {
        std::string why = systemError(what, target);
        ::unlink(temporary.c_str());
        return why;
    };
    // The new file gets the old one's permissions, or those a new file would get.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        return fail("write");
    }
    if (::close(fd) != 0) return fail("write");
    if (::rename(temporary.c_str(), target.c_str()) != 0) return fail("replace");
    return {};
}

}  // namespace hostsim
