#include "WebGamepad.h"

#include "5-input/GamepadControl.h"
#include "5-input/GamepadState.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

namespace {

// The standard layout's axes and buttons.
constexpr int LeftX = 0, LeftY = 1, RightX = 2, RightY = 3;
constexpr int ButtonA = 0, ButtonLT = 6, ButtonRT = 7;

Game* game = nullptr;
GamepadControl control;
bool shown = false;               // the page shows that a pad is connected
EmscriptenGamepadEvent sampled;  // one pad's state, as html5.h fills it (1.5 kB)

float Axis(const EmscriptenGamepadEvent& pad, int axis)
{
    return axis < pad.numAxes ? static_cast<float>(pad.axis[axis]) : 0.0f;
}

// Triggers are read by how far they are pulled, as on the desktop, not by
// the browser's own idea of pressed.
float Analog(const EmscriptenGamepadEvent& pad, int button)
{
    return button < pad.numButtons ? static_cast<float>(pad.analogButton[button]) : 0.0f;
}

GamepadState Read(const EmscriptenGamepadEvent& pad)
{
    GamepadState state;
    state.connected = true;
    state.leftX = Axis(pad, LeftX);
    state.leftY = Axis(pad, LeftY);
    state.rightX = Axis(pad, RightX);
    state.rightY = Axis(pad, RightY);
    state.leftTrigger = Analog(pad, ButtonLT);
    state.rightTrigger = Analog(pad, ButtonRT);
    state.a = ButtonA < pad.numButtons && pad.digitalButton[ButtonA];
    return state;
}

EM_JS(void, ShowGamepad, (int connected), {
    document.body.classList.toggle('gamepad', connected !== 0);
});

}  // namespace

void WebGamepad::Connect(Game& played)
{
    game = &played;
}

void WebGamepad::Tick(float played)
{
    GamepadState pads;
    if (emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
        const int count = emscripten_get_num_gamepads();
        for (int i = 0; i < count; i++) {
            if (emscripten_get_gamepad_status(i, &sampled) == EMSCRIPTEN_RESULT_SUCCESS && sampled.connected &&
                std::strcmp(sampled.mapping, "standard") == 0)
                pads.Add(Read(sampled));
        }
    }
    if (pads.connected != shown) {
        shown = pads.connected;
        ShowGamepad(shown ? 1 : 0);
    }
    control.Tick(*game, pads, played);
}
