#include "TrialRun.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

extern char** environ;

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

constexpr const char* JobVariable = "CORVANE_TRIAL_JOB";
constexpr const char* ArgumentVariable = "CORVANE_TRIAL_ARGUMENT";
constexpr const char* MemoryVariable = "CORVANE_TRIAL_MEMORY_MB";
constexpr int ReportFd = 3;          // the child's end of the report pipe
constexpr int WatchIntervalMs = 10;  // how often the parent looks at a busy child
constexpr int ExitOutOfMemory = 86;  // the child's status when an allocation failed
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

// This process's environment without any trial variables, plus the given ones.
std::vector<std::string> ChildEnvironment(const char* job, const std::string& argument, long memoryMB)
{
    std::vector<std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; entry++)
        if (std::strncmp(*entry, "CORVANE_TRIAL_", 14) != 0)
            variables.emplace_back(*entry);
    variables.push_back(std::string(JobVariable) + "=" + job);
    variables.push_back(std::string(ArgumentVariable) + "=" + argument);
    variables.push_back(std::string(MemoryVariable) + "=" + std::to_string(memoryMB));
    return variables;
}

// Starts /proc/self/exe as a trial with report as its descriptor 3 and its
// standard output and error on /dev/null. The child's pid, or -1 with errno set.
pid_t Spawn(const char* job, const std::string& argument, long memoryMB, int report)
{
    std::vector<std::string> variables = ChildEnvironment(job, argument, memoryMB);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    char program[] = "corvane-trial";
    char* argv[] = {program, nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, report, ReportFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = -1;
    const int failure = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        errno = failure;
        return -1;
    }
    return child;
}

}  // namespace

bool TrialRun::IsTrialOf(const char* job, std::string& argument)
{
    const char* running = std::getenv(JobVariable);
    const char* given = std::getenv(ArgumentVariable);
    if (running == nullptr || given == nullptr || std::strcmp(running, job) != 0)
        return false;
    argument = given;

    // A crash dies quietly (no core file, no sanitizer report), so the parent sees the signal.
    for (int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP})
        std::signal(fatal, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::set_new_handler(OutOfMemory);
#ifndef CORVANE_TRIAL_SANITIZED
    const char* memory = std::getenv(MemoryVariable);
    const long addressSpace = StatmBytes("self", 0);
    if (memory != nullptr && addressSpace > 0) {
        const rlim_t limit = static_cast<rlim_t>(addressSpace + std::atol(memory) * Megabyte);
        const rlimit space{limit, limit};
        setrlimit(RLIMIT_AS, &space);
    }
#endif
    return true;
}

void TrialRun::Finish(bool succeeded, const std::string& error)
{
    const char status = succeeded ? Succeeded : Failed;
    WriteAll(ReportFd, &status, 1);
    WriteAll(ReportFd, error.data(), error.size());
    _exit(0);
}

bool TrialRun::Survives(const char* name, const char* job, const std::string& argument, std::string& error,
                        const TrialLimits& limits)
{
    const std::string who = name;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = who + " could not be started apart (" + std::strerror(errno) + ")";
        return false;
    }
    // NOTE: the write end must not already be descriptor 3: a dup2 onto itself
    // would keep its close-on-exec flag and the child would lose it.
    if (pipeEnds[1] == ReportFd) {
        const int moved = fcntl(pipeEnds[1], F_DUPFD_CLOEXEC, ReportFd + 1);
        close(pipeEnds[1]);
        pipeEnds[1] = moved;
    }
    const pid_t child = pipeEnds[1] < 0 ? -1 : Spawn(job, argument, limits.memoryMB, pipeEnds[1]);
    const int spawnError = errno;
    if (pipeEnds[1] >= 0)
        close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        error = who + " could not be started apart (" + std::strerror(spawnError) + ")";
        return false;
    }

    enum class Ending { Finished, PastTime, PastMemory, Unwatched } ending = Ending::Finished;
    char procName[32];
    std::snprintf(procName, sizeof procName, "%d", static_cast<int>(child));
    const long residentLimit = limits.memoryMB * Megabyte;
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
        if (ready == 0 && StatmBytes(procName, 1) > residentLimit) {
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
        error = who + " could not be watched";
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
