// The server's play-mode words and what each means to a team playing on either side: one
// table for the world model, the practice pitch's referee and the fuzz targets. No globals.
#pragma once
#include <string_view>

#include "worldmodel/worldmodel.h"

struct PlayModeWord {
    const char* ownLeft;   // the word when this team plays on the left
    const char* ownRight;  // ... and on the right
    TPlayMode mode;
};

// Every word the league's server sends. The first entry of a mode holds the word the server
// uses for it; later ones are further words taken the same way.
extern const PlayModeWord kPlayModeWords[];
extern const int kPlayModeWordCount;

// PM_None for a word the table does not hold (exact spelling only).
TPlayMode PlayModeFromWord(std::string_view word, bool ownLeft);
// The server's word for `mode` seen by a team on that side; nullptr for PM_None.
const char* WordForPlayMode(TPlayMode mode, bool ownLeft);
