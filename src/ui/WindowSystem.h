// What the game asks of the window system beyond SDL: kept apart so that its headers, and their
// macros, reach no other file.
#pragma once

struct SDL_Window;

namespace ui
{

// Asks the window system to clear the window to black by itself, now and wherever it exposes a
// part that nothing was presented on; returns at once, without waiting for it. True when it
// does (an X11 window); elsewhere the game presents its black itself.
bool ClearWindowToBlack(SDL_Window* window);

// Makes a request the window system refuses (one about a window another program has just
// destroyed, say) a line on stderr instead of the end of the process, which is what Xlib does by
// default. Called before SDL connects: SDL's own handler, which restores the screen's video mode
// first, then hands such errors on to this one, and its passing handlers put it back after them.
void ReportWindowSystemErrors();

} // namespace ui
