#pragma once

#include <string>

// Writes the player's ship, "Ship2.dae", and the images its material names
// into outDir. Deterministic. Returns false with a sentence in error on failure.
bool WriteShipModel(const std::string& outDir, std::string& error);
