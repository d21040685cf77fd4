#include "WebPage.h"

#include "WebReplay.h"

#include "app/Camera.h"
#include "app/Game.h"
#include "entities/Ship.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>

namespace {

const char* const Canvas = "#canvas";

Game* game = nullptr;
WebPage::Motion motion = nullptr;
int pointerX = 0;  // the page's pointer, window pixels from the top left
int pointerY = 0;
int framesDrawn = 0;

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

EM_JS(void, SetGameState, (int frames, float angleH, float angleV, int thrust, int lookBack, int bullets,
                           int explosions, float x, float y, float z), {
    Module.lastGameState = {
        frames: frames, angleH: angleH, angleV: angleV, thrust: thrust, lookBack: lookBack !== 0,
        bullets: bullets, explosions: explosions, ship: [x, y, z],
    };
});

}  // namespace

// Called by Module.gameState.
extern "C" EMSCRIPTEN_KEEPALIVE void CorvanePublishState()
{
    const Camera& camera = *game->GetCamera();
    const Ship& ship = *game->GetShip();
    const Vector3f position = ship.GetPosition();
    SetGameState(framesDrawn, camera.GetAngleH(), camera.GetAngleV(), ship.GetThrust(), game->IsLookBack() ? 1 : 0,
                 static_cast<int>(game->GetBullets().size()), static_cast<int>(game->GetExplosions().size()),
                 position.x, position.y, position.z);
}

void WebPage::Connect(Game& connected, int width, int height, Motion onMotion)
{
    game = &connected;
    motion = onMotion;
    pointerX = width / 2;
    pointerY = height / 2;
    emscripten_set_mousemove_callback(Canvas, nullptr, EM_TRUE, OnMove);
    emscripten_set_mousedown_callback(Canvas, nullptr, EM_TRUE, OnPress);
    EM_ASM({
        Module.gameState = function() {
            _CorvanePublishState();
            return Module.lastGameState;
        };
    });
}

void WebPage::DisconnectPointer()
{
    motion = nullptr;
}

bool WebPage::PlayReplay()
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
    replay.Play(*game);
    return true;
}

void WebPage::FrameDrawn(const char* name)
{
    framesDrawn++;
    EM_ASM({
        Module.frames = $0;
        if (Module.frames === 1)
            Module.firstFrameTime = performance.now();
        var name = $1 ? UTF8ToString($1) : null;
        if (name)
            Module.replay.keep(name);
        if (Module.onFrame)
            Module.onFrame(name);
    }, framesDrawn, name);
}
