#pragma once

#include <string>

class Mesh;

// Where the camera stands for a picture of a model. Every view shows the
// model in the ship's start pose in the game (turned 90 degrees about x).
enum class ModelView {
    Game,   // from behind, as the chase camera sees the ship at the start
    Front,  // from ahead, as the look-back view does
    Top,    // from above, nose up the picture
    Side,   // from the model's right-hand side
};

// Parses "game", "front", "top" or "side".
bool ParseModelView(const std::string& name, ModelView& view);

// Draws mesh with the game's fixed-function state into an offscreen
// framebuffer of width x height, framed by the boxes of its entries, and
// writes it to pngPath. Needs a current context. False with a sentence in
// error when the framebuffer or the file cannot be made.
bool WriteModelPicture(Mesh& mesh, ModelView view, int width, int height, const std::string& pngPath,
                       std::string& error);
