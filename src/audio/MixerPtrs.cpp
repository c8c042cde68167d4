// The mixer's owners: on Windows the mixer is linked directly, on Linux these calls reach it
// through the functions that open it on first use.
#include "platform/SdlPtrs.h"

#include <SDL_mixer.h>

namespace platform
{

void ChunkDeleter::operator()(Mix_Chunk* chunk) const
{
    Mix_FreeChunk(chunk);
}

void MusicDeleter::operator()(Mix_Music* music) const
{
    Mix_FreeMusic(music);
}

} // namespace platform
