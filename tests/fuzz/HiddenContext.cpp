#include "FuzzTarget.h"

#include "4-game/GlWindow.h"

namespace fuzz {

bool CreateHiddenContext(const char* name, int side)
{
    if (!GlWindow::HasDisplay())
        return false;
    // Open for the fuzzer's whole run.
    static GlWindow window;
    return window.Open(name, side, side, false);
}

}  // namespace fuzz
