// The release functions behind the owning SDL pointers; the mixer's two are defined where the
// mixer is loaded (audio/MixerLibraries.cpp), so that the platform layer links no mixer.
#include "platform/SdlPtrs.h"

#include <SDL.h>
#include <SDL_ttf.h>

namespace platform
{

void SurfaceDeleter::operator()(SDL_Surface* surface) const
{
    SDL_FreeSurface(surface);
}

void WindowDeleter::operator()(SDL_Window* window) const
{
    SDL_DestroyWindow(window);
}

void RendererDeleter::operator()(SDL_Renderer* renderer) const
{
    SDL_DestroyRenderer(renderer);
}

void TextureDeleter::operator()(SDL_Texture* texture) const
{
    SDL_DestroyTexture(texture);
}

void RWopsDeleter::operator()(SDL_RWops* rw) const
{
    SDL_RWclose(rw);
}

void GameControllerDeleter::operator()(SDL_GameController* controller) const
{
    SDL_GameControllerClose(controller);
}

void FontDeleter::operator()(TTF_Font* font) const
{
    TTF_CloseFont(font);
}

} // namespace platform
