// Corvane in a window of its own: the window, the game and its sounds, then
// GLUT's loop, which never returns.
#include "1-audio/AudioDevice.h"
#include "4-game/DataDirectory.h"
#include "4-game/Game.h"
#include "4-game/GameLoop.h"
#include "4-game/GameSounds.h"
#include "4-game/GlWindow.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

int main(int argc, char** argv)
{
    // Everything here lives as long as the program.
    static GlWindow window;
    window.Open("Corvane", GlWindow::Width, GlWindow::Height, true, &argc, argv);

    // An installed game reads its assets from its data folder; from the build
    // tree it reads the working directory.
    DataDirectory::Enter();
    Game* game = new Game(GlWindow::Width, GlWindow::Height);
    game->Init();

    // No sound output, or a sound that does not load, leaves that part
    // silent for good.
    static AudioDevice audio;
    audio.Open();
    static GameSounds sounds;
    sounds.Init();
    game->SetSounds(&sounds);

    GameLoop::Connect(*game, sounds, true);
    GameLoop::StartClock();
    glutMainLoop();
    return 0;
}
