// A screen may include any layer below it.
#include "engine/Rule.h"
#include "platform/UserFolders.h"
#include "settings/Keys.h"
#include "widgets/Timer.h"
