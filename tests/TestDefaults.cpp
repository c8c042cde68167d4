// Linked into every test executable: the tests run with no display and no sound card, so SDL
// gets its dummy drivers unless whoever runs the tests chose others.
#include <cstdlib>

namespace
{

const bool kDriversChosen = []
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

} // namespace
