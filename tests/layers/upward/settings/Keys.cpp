// The settings, allowed the engine and the platform, but not a widget.
#include "Keys.h"
#include "engine/Rule.h"
#include "platform/UserFolders.h"
#include "widgets/Timer.h"

#include <string>
