#include "WebReplay.h"

#include "WebPage.h"

#include "4-game/Game.h"
#include "4-game/GlWindow.h"

#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>
#include <utility>

namespace {

// The script the page fetched (see index.html), or -1 when it holds none.
EM_JS(int, ReplayLength, (), {
    return Module.replay && Module.replay.bytes ? Module.replay.bytes.length : -1;
});

// Copies the script into out (ReplayLength bytes) and lets the page drop it.
EM_JS(void, TakeReplay, (char* out), {
    HEAPU8.set(Module.replay.bytes, out);
    Module.replay.bytes = null;
});

EM_JS(int, ReplayNameLength, (), {
    return lengthBytesUTF8(Module.replay.name);
});

EM_JS(void, CopyReplayName, (char* out, int size), {
    stringToUTF8(Module.replay.name, out, size);
});

EM_JS(void, ReplayRefused, (const char* why), {
    Module.replay.fail(UTF8ToString(why));
});

EM_JS(void, ReplayEnded, (double ticks), {
    Module.replay.end(ticks);
});

}  // namespace

bool WebReplay::PlayFromPage(Game& game, GameSounds& sounds)
{
    const int length = ReplayLength();
    if (length < 0)
        return false;
    std::string text(static_cast<size_t>(length), '\0');
    TakeReplay(text.data());
    std::string name(static_cast<size_t>(ReplayNameLength()) + 1, '\0');
    CopyReplayName(name.data(), static_cast<int>(name.size()));
    name.pop_back();

    // Lives as long as the page.
    static WebReplay replay;
    std::string error;
    if (!replay.Load(std::move(text), name, error)) {
        ReplayRefused(error.c_str());
        return false;
    }
    replay.Play(game, sounds);
    return true;
}

bool WebReplay::Load(std::string text, const std::string& name, std::string& error)
{
    in.str(std::move(text));
    double played = 0.0;
    if (!ReplayPlayer::Check(in, name, error, played))
        return false;
    in.clear();
    in.seekg(0);
    script = std::make_unique<ReplayScript>(in, name, GlWindow::Width, GlWindow::Height);
    return true;
}

void WebReplay::Play(Game& game, GameSounds& sounds)
{
    player = std::make_unique<ReplayPlayer>(game, *script);
    player->SetSounds(&sounds);
    // Only the script moves the game, and only the replay draws: the redraws
    // that the game's handlers ask for are merged into its next draw, as in
    // the desktop tool.
    glutDisplayFunc(nullptr);
    glutKeyboardFunc(nullptr);
    glutKeyboardUpFunc(nullptr);
    glutMouseFunc(nullptr);
    WebPage::DisconnectInput();
    emscripten_request_animation_frame_loop(OnAnimationFrame, this);
}

int WebReplay::OnAnimationFrame(double now, void* self)
{
    WebReplay& replay = *static_cast<WebReplay*>(self);
    if (now < replay.notBefore)
        return EM_TRUE;
    ReplayPlayer::Drawn drawn;
    if (!replay.player->Advance(drawn)) {
        // The same bytes were read to their end in Load: this is the end, not a fault.
        ReplayEnded(static_cast<double>(replay.player->GetTicksPlayed()));
        return EM_FALSE;
    }
    if (drawn.dt > 0.0f)
        replay.notBefore = now + drawn.dt * Game::MillisecondsPerDtUnit;
    WebPage::FrameDrawn(drawn.name.empty() ? nullptr : drawn.name.c_str());
    return EM_TRUE;
}
