// The safe save on Windows: a temporary file beside the target, written and flushed,
// then moved over it in one step (MoveFileEx replacing the target, through to disk).
#include "hostsim/Files.h"

#include <windows.h>

#include <string>

#include "SystemMessage.h"

namespace hostsim {

namespace {

std::string systemError(const std::string& what, const std::filesystem::path& file, DWORD code) {
    const std::string why = systemMessage(code);
    return "cannot " + what + " " + file.string() + ": " + (why.empty() ? "error " + std::to_string(code) : why);
}

}  // namespace

std::string writeFileSafely(const std::filesystem::path& file, std::string_view bytes) {
    if (auto input = protectedInput(file); !input.empty())
        return file.string() + " is an input of this run (" + input.string() + "); it is not written";

    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return file.string() + " is a folder";

    std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::filesystem::path temporary;
    HANDLE h = INVALID_HANDLE_VALUE;
    // A name of our own beside the target; another process's file of that name is left alone.
    for (unsigned attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        std::string name = file.filename().string();
        name.insert(0, 1, '.');
        name.append(1, '.').append(std::to_string(GetCurrentProcessId())).append(1, '.').append(std::to_string(attempt));
        temporary = folder / name;
        h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return systemError("write to the folder of", file, GetLastError());
    }
    if (h == INVALID_HANDLE_VALUE) return systemError("write to the folder of", file, GetLastError());

    auto fail = [&](const std::string& what, DWORD code) {
        DeleteFileW(temporary.c_str());
        return systemError(what, file, code);
    };
    while (!bytes.empty()) {
        DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) {
            DWORD code = GetLastError();
            CloseHandle(h);
            return fail("write", code);
        }
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(h)) {
        DWORD code = GetLastError();
        CloseHandle(h);
        return fail("write", code);
    }
    if (!CloseHandle(h)) return fail("write", GetLastError());
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail("replace", GetLastError());
    return {};
}

}  // namespace hostsim
