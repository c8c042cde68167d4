// Owning pointers for every SDL, SDL_ttf and SDL_mixer object the game keeps, each released by
// its library's own function. Forward declarations only, so that no SDL header comes along.
#pragma once

#include <memory>

struct SDL_Surface;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_RWops;
struct _SDL_GameController;
struct _TTF_Font;
struct Mix_Chunk;
struct _Mix_Music;

namespace platform
{

struct SurfaceDeleter
{
    void operator()(SDL_Surface* surface) const;
};
struct WindowDeleter
{
    void operator()(SDL_Window* window) const;
};
struct RendererDeleter
{
    void operator()(SDL_Renderer* renderer) const;
};
struct TextureDeleter
{
    void operator()(SDL_Texture* texture) const;
};
struct RWopsDeleter
{
    void operator()(SDL_RWops* rw) const;
};
struct GameControllerDeleter
{
    void operator()(_SDL_GameController* controller) const;
};
struct FontDeleter
{
    void operator()(_TTF_Font* font) const;
};
// A chunk still playing stops playing first.
struct ChunkDeleter
{
    void operator()(Mix_Chunk* chunk) const;
};
// Music still playing is halted first.
struct MusicDeleter
{
    void operator()(_Mix_Music* music) const;
};

using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;
using RWopsPtr = std::unique_ptr<SDL_RWops, RWopsDeleter>;
using GameControllerPtr = std::unique_ptr<_SDL_GameController, GameControllerDeleter>;
using FontPtr = std::unique_ptr<_TTF_Font, FontDeleter>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;
using MusicPtr = std::unique_ptr<_Mix_Music, MusicDeleter>;

} // namespace platform
