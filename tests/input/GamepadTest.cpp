// Gamepads on the desktop: SDL's virtual pad, read through SDL's own
// game-controller mapping as a player's pad is (SdlGamepads), drives a real
// Game through the tick the window's loop runs (Game::Update, then
// GamepadControl), by the cases the page's test plays too (gamepad_cases.txt).
#include "GameFixture.h"

#include "5-input/GamepadControl.h"
#include "5-input/SdlGamepads.h"

#include <SDL.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float TickDt = 1.1f;  // as GLUT's clock gives it: rarely a whole number, so some ticks play two steps
constexpr int StepTicks = 3;
constexpr int TurnTicks = 40;
constexpr float AngleTolerance = 0.01f;  // degrees, the rounding of many small float turns

struct TurnCase {
    std::string name;
    float sticks[4];    // left x, y, right x, y
    float right, down;  // degrees a second
};

struct StepCase {
    std::string action;
    int thrust, front, shots;
};

// The shared table, read the way the page's test reads it.
void ReadCases(std::vector<TurnCase>& turns, std::vector<StepCase>& steps)
{
    std::ifstream in(CORVANE_SOURCE_DIR "/tests/input/gamepad_cases.txt");
    ASSERT_TRUE(in) << "the table of gamepad cases";
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string kind;
        if (!(words >> kind))
            continue;
        if (kind == "turn") {
            TurnCase c;
            ASSERT_TRUE(words >> c.name >> c.sticks[0] >> c.sticks[1] >> c.sticks[2] >> c.sticks[3] >> c.right >> c.down)
                << line;
            turns.push_back(c);
        } else {
            ASSERT_EQ("step", kind) << line;
            StepCase c;
            ASSERT_TRUE(words >> c.action >> c.thrust >> c.front >> c.shots) << line;
            steps.push_back(c);
        }
    }
    ASSERT_FALSE(turns.empty());
    ASSERT_FALSE(steps.empty());
}

// A pad made by SDL's virtual joystick driver, laid out as a game controller:
// SDL maps it (a:b0, lefttrigger:a4, righttrigger:a5, ...) as it maps a
// player's pad from its database.
class VirtualPad {
public:
    void Plug()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Corvane's test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(nullptr, joystick) << SDL_GetError();
    }

    void Unplug()
    {
        const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); i++) {
            if (SDL_JoystickGetDeviceInstanceID(i) == instance) {
                ASSERT_EQ(0, SDL_JoystickDetachVirtual(i)) << SDL_GetError();
            }
        }
    }

    bool IsPlugged() const { return joystick != nullptr; }

    void Sticks(const float (&v)[4])
    {
        const SDL_GameControllerAxis axes[] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                               SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY};
        for (int i = 0; i < 4; i++)
            SDL_JoystickSetVirtualAxis(joystick, axes[i], static_cast<Sint16>(std::lround(v[i] * 32767.0f)));
    }

    // A trigger's raw axis spans SDL's whole range; the mapping reads its
    // lowest value as 0.
    void Trigger(SDL_GameControllerAxis axis, float pulled)
    {
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(std::lround(pulled * 65535.0f - 32768.0f)));
    }

    void Button(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
    }

private:
    SDL_Joystick* joystick = nullptr;
};

}  // namespace

class GamepadTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ReadCases(turns, steps);
        // The pad is there before the game opens SDL, as a player's usually is.
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK)) << SDL_GetError();
        pad.Plug();
        ASSERT_TRUE(pads.Open());
        Tick(1);
        ASSERT_EQ(1, pads.GetCount()) << "the pad plugged in before the game is picked up";
    }

    void TearDown() override
    {
        if (pad.IsPlugged())
            pad.Unplug();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        GameTest::TearDown();
    }

    // Ticks as the window's loop plays them: the update, then the pads read;
    // the game time they played.
    float Tick(int count)
    {
        float played = 0.0f;
        for (int i = 0; i < count; i++) {
            const float tick = game->Update(TickDt);
            control.Tick(*game, pads.Read(), tick);
            played += tick;
        }
        return played;
    }

    void Do(const std::string& action)
    {
        const bool press = action.rfind("press-", 0) == 0;
        const std::string what = action.substr(action.find('-') + 1);
        if (action == "hold")
            return;
        if (action == "plug")
            return pad.Plug();
        if (action == "unplug")
            return pad.Unplug();
        if (what == "a")
            return pad.Button(SDL_CONTROLLER_BUTTON_A, press);
        if (what == "rt")
            return pad.Trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, press ? 1.0f : 0.0f);
        if (what == "lt")
            return pad.Trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, press ? 1.0f : 0.0f);
        if (what == "space")
            return press ? game->OnKeyDown(' ') : game->OnKeyUp(' ');
        if (what == "right")
            return game->OnMouse(GLUT_RIGHT_BUTTON, press ? GLUT_DOWN : GLUT_UP, 400, 300);
        FAIL() << "no such action in the table: " << action;
    }

    SdlGamepads pads;
    GamepadControl control;
    VirtualPad pad;
    std::vector<TurnCase> turns;
    std::vector<StepCase> steps;
};

TEST_F(GamepadTest, SticksTurnTheViewAndTheShipAsTheTableSays)
{
    const Camera& camera = *game->GetCamera();
    const Ship& ship = *game->GetShip();
    const float rest[4] = {0, 0, 0, 0};
    for (const TurnCase& c : turns) {
        SCOPED_TRACE(c.name);
        pad.Sticks(c.sticks);
        const float cameraH = camera.GetAngleH(), cameraV = camera.GetAngleV();
        const float shipH = ship.GetAngleH(), shipV = ship.GetAngleV();
        const float played = Tick(TurnTicks);
        pad.Sticks(rest);
        Tick(1);
        // As pointer motion: turning right lowers both angleH, down raises both angleV.
        const float seconds = played / 100.0f;
        EXPECT_NEAR(-c.right * seconds, camera.GetAngleH() - cameraH, AngleTolerance);
        EXPECT_NEAR(c.down * seconds, camera.GetAngleV() - cameraV, AngleTolerance);
        EXPECT_NEAR(-c.right * seconds, ship.GetAngleH() - shipH, AngleTolerance);
        EXPECT_NEAR(c.down * seconds, ship.GetAngleV() - shipV, AngleTolerance);
        if (c.right == 0 && c.down == 0) {
            EXPECT_EQ(cameraH, camera.GetAngleH()) << "a resting stick never moves the view, not by a fraction";
            EXPECT_EQ(cameraV, camera.GetAngleV());
        }
    }
}

TEST_F(GamepadTest, TriggersAndButtonsFlyFireAndShowTheFrontAsTheTableSays)
{
    const Ship& ship = *game->GetShip();
    for (const StepCase& c : steps) {
        SCOPED_TRACE(c.action);
        const size_t bullets = game->GetBullets().size();
        Do(c.action);
        Tick(1);
        const Vector3f from = ship.GetPosition();
        Tick(StepTicks);
        const Vector3f to = ship.GetPosition();
        EXPECT_EQ(c.thrust, ship.GetThrust());
        EXPECT_EQ(c.thrust == 1, from.x != to.x || from.y != to.y || from.z != to.z) << "the ship flies while thrust is on";
        EXPECT_EQ(c.front == 1, game->IsLookBack());
        EXPECT_EQ(bullets + c.shots, game->GetBullets().size());
    }
}
