#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {
std::string current;

void RemoveCurrent()
{
    if (!current.empty())
        std::remove(current.c_str());
    current.clear();
}
}  // namespace

std::string WriteScratchFile(const std::uint8_t* data, std::size_t size, const char* suffix)
{
    static bool registered = false;
    if (!registered) {
        std::atexit(RemoveCurrent);
        registered = true;
    }
    RemoveCurrent();
    current = "/tmp/corvane-fuzz-" + std::to_string(getpid()) + suffix;
    if (FILE* file = std::fopen(current.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return current;
}

}  // namespace fuzz
