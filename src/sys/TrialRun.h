#pragma once

#include <functional>
#include <string>

// Runs a decoder of untrusted files once in a throwaway child process before
// the real run, so that a crash, a hang or runaway memory inside a
// third-party library costs only the child. The caller repeats the work in
// its own process only when the child came back with success.
//
// NOTE: the child is a fork of a process that holds an X connection, a GL
// context and GLUT state; the work must touch none of them, and the child
// leaves through _exit (no atexit handlers, no flush of inherited buffers).
struct TrialLimits {
    int seconds = 10;       // wall-clock time before the child is killed
    long memoryMB = 1024;   // memory the child may take beyond what it inherits
};

class TrialRun {
public:

    // The work: true on success, otherwise false with why in its argument.
    using Work = std::function<bool(std::string& error)>;

    // name is the work's subject in messages ("the importer").
    // True when the work ran to its end in a child and succeeded. Otherwise
    // false, with error set to the work's own message, or to a sentence on
    // how the child ended: crashed (with its signal), killed past the time
    // limit or the memory limit, or could not be started.
    static bool Survives(const char* name, const Work& work, std::string& error,
                         const TrialLimits& limits = TrialLimits());
};
