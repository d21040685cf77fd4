// Corvane in a page: the same game and loop as the window's, started in
// steps that leave the page free to answer in between, with the page's
// pointer, touches and gamepads, its sound started by the player's first
// gesture, and a replay script, when the page holds one, in place of the
// clock.
#include "WebGamepad.h"
#include "WebLoading.h"
#include "WebPage.h"
#include "WebReplay.h"
#include "WebSound.h"

#include "1-audio/AudioDevice.h"
#include "4-game/Game.h"
#include "4-game/GameLoop.h"
#include "4-game/GameSounds.h"
#include "4-game/GlWindow.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

namespace {

// Silent until the first gesture starts it.
GameSounds sounds;

void StartSound()
{
    static AudioDevice audio;
    audio.Open();
    sounds.Init();
}

void FrameDrawn()
{
    WebPage::FrameDrawn();
}

// After the game's last loading step: the loop takes over.
void Play(Game& game)
{
    game.SetSounds(&sounds);
    GameLoop::Connect(game, sounds, false);
    GameLoop::SetFrameHook(FrameDrawn);
    // The page's pointer moves by relative motion (Pointer Lock) and reaches
    // the game as passive motion does.
    WebPage::Connect(game, GlWindow::Width, GlWindow::Height, GameLoop::PassiveMotion);
    WebGamepad::Connect(game);
    GameLoop::SetTickHook(WebGamepad::Tick);
    if (!WebReplay::PlayFromPage(game, sounds))
        GameLoop::StartClock();
    glutMainLoop();
}

}  // namespace

int main(int argc, char** argv)
{
    static GlWindow window;
    window.Open("Corvane", GlWindow::Width, GlWindow::Height, true, &argc, argv);

    // A gesture while the game loads starts the sound as well.
    WebSound::StartOnFirstGesture(StartSound);
    // The game reads "/", where the page's assets are unpacked.
    WebLoading::Start(*new Game(GlWindow::Width, GlWindow::Height), Play);
    return 0;
}
