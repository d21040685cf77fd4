#pragma once

#include "4-game/Game.h"

// The game's start in a page that keeps answering: Game::Init's steps run in
// their order, one per task of the browser's, so that between them the page
// paints its progress and answers the player (full screen, sound). Before
// each step the page is told how far the start has come
// (Module.onLoadingStep(done, count, what), "what" naming the step about to
// run, as "the sky"), and the step's time is noted as a User Timing measure
// named "Corvane: " and the step (seen in the browser's profiler and by
// Lighthouse). After the last step the page is told once more, with done
// equal to count and what empty, and then ready runs.
class WebLoading {
public:
    using Ready = void (*)(Game& game);

    // Runs game's Init steps from the next task on; returns at once. game
    // and its window live as long as the page.
    static void Start(Game& game, Ready ready);

    // What the page calls each step: "the ship", "the towers", ...
    static const char* StepName(Game::InitStep step);

private:
    static void Next(void*);
};
