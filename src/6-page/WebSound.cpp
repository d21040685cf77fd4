#include "WebSound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <emscripten.h>

namespace {

WebSound::Start start = nullptr;

// Captured on the document, so the sound starts before the view handles the press.
EM_JS(void, ListenForFirstGesture, (), {
    Module.soundChanged = function() { _corvane_sound_changed(); };
    var events = [ "mousedown", "keydown", "touchstart" ];
    var first = function() {
        events.forEach(function(name) { document.removeEventListener(name, first, true); });
        _corvane_sound_start();
    };
    events.forEach(function(name) { document.addEventListener(name, first, true); });
});

// The listener's gain from the page's control.
void ApplyControl()
{
    if (alcGetCurrentContext() == nullptr)
        return;
    const int on = EM_ASM_INT({ return Module.soundOn === false ? 0 : 1; });
    alListenerf(AL_GAIN, on ? 1.0f : 0.0f);
}

}  // namespace

extern "C" {

// Called by the page's script: the first gesture, and each change of the control.
EMSCRIPTEN_KEEPALIVE void corvane_sound_start()
{
    if (start == nullptr)
        return;
    const WebSound::Start once = start;
    start = nullptr;
    once();
    ApplyControl();
}

EMSCRIPTEN_KEEPALIVE void corvane_sound_changed()
{
    ApplyControl();
}

}  // extern "C"

void WebSound::StartOnFirstGesture(Start onStart)
{
    start = onStart;
    ListenForFirstGesture();
}
