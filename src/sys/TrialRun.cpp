#include "TrialRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <new>

// AddressSanitizer reserves terabytes of address space for its shadow, so an
// address-space limit cannot bound such a build; there only the parent's
// watch of the child's resident memory does.
#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_TRIAL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_TRIAL_SANITIZED 1
#endif
#endif

namespace {

constexpr int WatchIntervalMs = 10;      // how often the parent looks at a busy child
constexpr int ExitOutOfMemory = 86;      // the child's status when an allocation failed
constexpr char Succeeded = 'S', Failed = 'F';
constexpr long Megabyte = 1024L * 1024;

// Field (0: total size, 1: resident) of /proc/<who>/statm in bytes, or -1.
long StatmBytes(const char* who, int field)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/statm", who);
    FILE* file = std::fopen(path, "r");
    if (file == nullptr)
        return -1;
    long values[2] = {-1, -1};
    const int read = std::fscanf(file, "%ld %ld", &values[0], &values[1]);
    std::fclose(file);
    if (read != 2)
        return -1;
    return values[field] * sysconf(_SC_PAGESIZE);
}

double Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

void WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        size -= static_cast<size_t>(written);
    }
}

[[noreturn]] void OutOfMemory()
{
    _exit(ExitOutOfMemory);
}

// The child: dies quietly on a fatal signal (no core file, no report of a
// handler the parent installed), writes nothing to the parent's streams,
// runs the work and reports its result through the pipe.
[[noreturn]] void RunChild(const TrialRun::Work& work, int report, long addressLimit)
{
    for (int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP})
        std::signal(fatal, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (addressLimit > 0) {
        const rlimit space{static_cast<rlim_t>(addressLimit), static_cast<rlim_t>(addressLimit)};
        setrlimit(RLIMIT_AS, &space);
    }
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
    }
    std::set_new_handler(OutOfMemory);

    std::string message;
    bool succeeded = false;
    try {
        succeeded = work(message);
    } catch (const std::exception& failure) {
        message = failure.what();
    } catch (...) {
        message = "unknown failure";
    }
    const char status = succeeded ? Succeeded : Failed;
    WriteAll(report, &status, 1);
    WriteAll(report, message.data(), message.size());
    _exit(0);
}

}  // namespace

bool TrialRun::Survives(const char* name, const Work& work, std::string& error, const TrialLimits& limits)
{
    const std::string who = name;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = who + " could not be started apart (" + std::strerror(errno) + ")";
        return false;
    }
    const long resident = StatmBytes("self", 1);
    const long residentLimit = resident >= 0 ? resident + limits.memoryMB * Megabyte : 0;
    long addressLimit = 0;
#ifndef CORVANE_TRIAL_SANITIZED
    const long addressSpace = StatmBytes("self", 0);
    if (addressSpace > 0)
        addressLimit = addressSpace + limits.memoryMB * Megabyte;
#endif

    std::fflush(nullptr);  // the child must not write out the parent's buffered output
    const pid_t child = fork();
    if (child < 0) {
        error = who + " could not be started apart (" + std::strerror(errno) + ")";
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        RunChild(work, pipeEnds[1], addressLimit);
    }
    close(pipeEnds[1]);

    enum class Ending { Finished, PastTime, PastMemory, Unwatched } ending = Ending::Finished;
    char procName[32];
    std::snprintf(procName, sizeof procName, "%d", static_cast<int>(child));
    const double deadline = Now() + limits.seconds;
    std::string report;
    for (;;) {
        pollfd watch{pipeEnds[0], POLLIN, 0};
        const int ready = poll(&watch, 1, WatchIntervalMs);
        if (ready < 0 && errno != EINTR) {
            ending = Ending::Unwatched;
            break;
        }
        if (ready > 0) {
            char buffer[4096];
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got > 0)
                report.append(buffer, static_cast<size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                break;  // the child closed its end: it is gone or going
        }
        if (Now() > deadline) {
            ending = Ending::PastTime;
            break;
        }
        if (ready == 0 && residentLimit > 0 && StatmBytes(procName, 1) > residentLimit) {
            ending = Ending::PastMemory;
            break;
        }
    }
    if (ending != Ending::Finished)
        kill(child, SIGKILL);
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    switch (ending) {
    case Ending::PastTime:
        error = who + " ran past its time limit of " + std::to_string(limits.seconds) + " s";
        return false;
    case Ending::PastMemory:
        error = who + " ran past its memory limit of " + std::to_string(limits.memoryMB) + " MB";
        return false;
    case Ending::Unwatched:
        error = who + " could not be watched (" + std::strerror(errno) + ")";
        return false;
    case Ending::Finished:
        break;
    }
    if (WIFSIGNALED(status)) {
        const int fatal = WTERMSIG(status);
        error = who + " crashed (signal " + std::to_string(fatal) + ", " + strsignal(fatal) + ")";
        return false;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == ExitOutOfMemory) {
        error = who + " ran past its memory limit of " + std::to_string(limits.memoryMB) + " MB";
        return false;
    }
    if (code != 0 || report.empty()) {
        error = who + " stopped before it finished (exit status " + std::to_string(code) + ")";
        return false;
    }
    if (report[0] == Failed) {
        error = report.substr(1);
        return false;
    }
    return true;
}
