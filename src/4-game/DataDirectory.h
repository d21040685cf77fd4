#pragma once

#include <string>

// Where an installed game keeps its assets: the data folder that the install
// puts beside the programs' folder (share/corvane next to bin), found from
// the running executable's own path, so a moved installation still finds it.
// A game run from the build tree has none and reads its working directory.
class DataDirectory {
public:
    // The data folder of the running executable, absolute; empty when there
    // is none (or the executable's path cannot be read).
    static std::string Find();
    // Makes the data folder the working directory, where the game's relative
    // asset paths then resolve. Returns false, changing nothing, when there
    // is no data folder or it cannot be entered.
    static bool Enter();
};
