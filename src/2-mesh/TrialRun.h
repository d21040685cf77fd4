#pragma once

#include <string>

struct TrialLimits {
    int seconds = 10;      // wall-clock time before the child is killed
    long memoryMB = 1024;  // resident memory (and, without sanitizers, address space) the child may grow to
};

// Runs a decoder of untrusted files once in a throwaway child process before
// the real run, so that a crash, a hang or runaway memory inside a
// third-party library costs only the child. The caller repeats the work in
// its own process only when the child came back with success.
//
// The child is a fresh start of the same program (not a fork of a process
// that holds an X connection, a GL context, GLUT state and a large heap): a
// job's source declares a function that runs before main, asks IsTrialOf
// whether this process is a trial of its job, and if so does the work and
// calls Finish; main never runs in the child.
class TrialRun {
public:
    // Parent side. name is the work's subject in messages ("the importer").
    // True when the child ran job on argument to its end and succeeded.
    // Otherwise false, with error set to the job's own message, or to a
    // sentence on how the child ended: crashed (with its signal), killed past
    // the time limit or the memory limit, or could not be started.
    static bool Survives(const char* name, const char* job, const std::string& argument, std::string& error,
                         const TrialLimits& limits = TrialLimits());

    // Child side. True, with the argument, when this process was started as a
    // trial of job; it then has its limits set, fatal signals at their
    // default action, and its standard output and error discarded.
    static bool IsTrialOf(const char* job, std::string& argument);

    // Child side: reports the result to the parent and ends the process at once.
    [[noreturn]] static void Finish(bool succeeded, const std::string& error);
};
