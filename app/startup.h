// The start-up sequence, run before the main window is first shown. Every
// step runs in skip-on-error mode: a step that fails is passed over in
// silence (and traced) and the sequence goes on with the next one. It shows
// the first run's message and dialog itself, and returns a plan that the
// main window carries out.
#pragma once

#include "app/program.h"
#include "player/player_table.h"

namespace velmoria {

struct StartPlan {
    bool show = false;  // false: the program ends without showing the main window
    Player player;      // the player plays and stops use
    bool compact = false;
    bool spcPlayOptions = false;  // the SPCPlay options get their start values; false: greyed for good
};

StartPlan RunStartup(Program& program);

}  // namespace velmoria
