// A rule that reaches up into a screen.
#pragma once

#include "engine/Board.h"
#include "screens/Screen.h"
