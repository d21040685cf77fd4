#include "WebPage.h"

#include <emscripten.h>
#include <emscripten/html5.h>

namespace {

const char* const Canvas = "#canvas";

WebPage::Motion motion = nullptr;
int pointerX = 0;  // the page's pointer, window pixels from the top left
int pointerY = 0;

EM_BOOL OnMove(int, const EmscriptenMouseEvent* event, void*)
{
    pointerX += static_cast<int>(event->movementX);
    pointerY += static_cast<int>(event->movementY);
    if (event->buttons == 0 && motion != nullptr)
        motion(pointerX, pointerY);
    return EM_TRUE;
}

EM_BOOL OnPress(int, const EmscriptenMouseEvent*, void*)
{
    EmscriptenPointerlockChangeEvent state;
    if (emscripten_get_pointerlock_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && !state.isActive)
        emscripten_request_pointerlock(Canvas, EM_FALSE);
    // Not consumed: GLUT sees the press too and fires.
    return EM_FALSE;
}

}  // namespace

void WebPage::ConnectPointer(int width, int height, Motion onMotion)
{
    motion = onMotion;
    pointerX = width / 2;
    pointerY = height / 2;
    emscripten_set_mousemove_callback(Canvas, nullptr, EM_TRUE, OnMove);
    emscripten_set_mousedown_callback(Canvas, nullptr, EM_TRUE, OnPress);
}

void WebPage::FrameDrawn()
{
    EM_ASM({
        Module.frames = (Module.frames || 0) + 1;
        if (Module.frames === 1)
            Module.firstFrameTime = performance.now();
        if (Module.onFrame)
            Module.onFrame();
    });
}
