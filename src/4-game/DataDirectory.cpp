#include "DataDirectory.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The data folder relative to the folder of the installed programs, as the
// install rules lay them out (CORVANE_DATA_FROM_BINARY, set by the build).
constexpr const char* DataFromBinary = CORVANE_DATA_FROM_BINARY;

}  // namespace

std::string DataDirectory::Find()
{
    std::error_code error;
    // The kernel's link resolves symbolic links and relative starts alike.
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || !executable.is_absolute())
        return std::string();
    const fs::path data = (executable.parent_path() / DataFromBinary).lexically_normal();
    if (!fs::is_directory(data, error))
        return std::string();
    return data.string();
}

bool DataDirectory::Enter()
{
    const std::string data = Find();
    if (data.empty())
        return false;
    std::error_code error;
    fs::current_path(data, error);
    return !error;
}
