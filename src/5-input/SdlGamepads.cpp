#include "SdlGamepads.h"

#include <algorithm>

namespace {

constexpr float AxisRange = 32767.0f;  // SDL's axes: sticks -32768 to 32767, triggers 0 to 32767

void Silent(void*, int, SDL_LogPriority, const char*)
{
}

float Axis(SDL_GameController* pad, SDL_GameControllerAxis axis)
{
    return std::max(-1.0f, static_cast<float>(SDL_GameControllerGetAxis(pad, axis)) / AxisRange);
}

GamepadState ReadPad(SDL_GameController* pad)
{
    GamepadState state;
    state.connected = true;
    state.leftX = Axis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    state.leftY = Axis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    state.rightX = Axis(pad, SDL_CONTROLLER_AXIS_RIGHTX);
    state.rightY = Axis(pad, SDL_CONTROLLER_AXIS_RIGHTY);
    state.leftTrigger = Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    state.rightTrigger = Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    state.a = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A) != 0;
    return state;
}

SDL_JoystickID InstanceOf(SDL_GameController* pad)
{
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

}  // namespace

SdlGamepads::~SdlGamepads()
{
    if (!open)
        return;
    for (SDL_GameController* pad : pads)
        SDL_GameControllerClose(pad);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlGamepads::Open()
{
    if (open)
        return true;
    // The running game prints only its own lines, and Ctrl-C ends it as
    // before: SDL would otherwise turn SIGINT and SIGTERM into quit events
    // that nobody reads.
    SDL_LogSetOutputFunction(Silent, nullptr);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    open = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return open;
}

GamepadState SdlGamepads::Read()
{
    GamepadState state;
    if (!open)
        return state;
    // Pads come and go as events; their controls are read as they are now.
    // Every other event is dropped.
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_CONTROLLERDEVICEADDED)
            Add(event.cdevice.which);
        else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
            Remove(event.cdevice.which);
    }
    for (SDL_GameController* pad : pads)
        state.Add(ReadPad(pad));
    return state;
}

void SdlGamepads::Add(int deviceIndex)
{
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (std::any_of(pads.begin(), pads.end(), [&](SDL_GameController* pad) { return InstanceOf(pad) == instance; }))
        return;
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex))
        pads.push_back(pad);
}

void SdlGamepads::Remove(SDL_JoystickID instance)
{
    const auto gone = std::find_if(pads.begin(), pads.end(),
                                   [&](SDL_GameController* pad) { return InstanceOf(pad) == instance; });
    if (gone == pads.end())
        return;
    SDL_GameControllerClose(*gone);
    pads.erase(gone);
}
