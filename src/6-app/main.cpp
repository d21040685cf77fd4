// Corvane in a window of its own: the window, the game, its sounds and the
// gamepads, then GLUT's loop, which never returns.
#include "1-audio/AudioDevice.h"
#include "4-game/DataDirectory.h"
#include "4-game/Game.h"
#include "4-game/GameLoop.h"
#include "4-game/GameSounds.h"
#include "4-game/GlWindow.h"
#include "5-input/GamepadControl.h"
#include "5-input/SdlGamepads.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

namespace {

// Everything here lives as long as the program.
Game* game = nullptr;
SdlGamepads pads;
GamepadControl padControl;

// The pads are read once a tick, after the game's update.
void ReadPads(float played)
{
    padControl.Tick(*game, pads.Read(), played);
}

}  // namespace

int main(int argc, char** argv)
{
    static GlWindow window;
    window.Open("Corvane", GlWindow::Width, GlWindow::Height, true, &argc, argv);

    // An installed game reads its assets from its data folder; from the build
    // tree it reads the working directory.
    DataDirectory::Enter();
    game = new Game(GlWindow::Width, GlWindow::Height);
    game->Init();

    // No sound output, or a sound that does not load, leaves that part
    // silent for good.
    static AudioDevice audio;
    audio.Open();
    static GameSounds sounds;
    sounds.Init();
    game->SetSounds(&sounds);

    // Gamepads beside the mouse and keys, picked up whenever plugged in.
    // Without SDL's input devices none ever is, and the game plays as
    // without pads.
    pads.Open();

    GameLoop::Connect(*game, sounds, true);
    GameLoop::SetTickHook(ReadPads);
    GameLoop::StartClock();
    glutMainLoop();
    return 0;
}
