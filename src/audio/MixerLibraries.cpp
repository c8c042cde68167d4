// The mixer and the synthesiser are opened when sound is first asked for, not by the dynamic
// loader at start-up: with the decoders they bring they are some fifty libraries that the first
// frame does not need. Each C function of theirs that the game calls is defined here and
// forwarded to the library's own, which is opened with dlopen on first use. While a library
// cannot be opened every call answers as the library does on a failure, so the game is silent
// and says nothing, as without a sound card.

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <dlfcn.h>

namespace
{

class Library
{
public:
    explicit Library(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    // Kept open for the life of the process: the audio thread may call into it until the end.

    [[nodiscard]] void* Symbol(const char* name) const
    {
        return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    }

private:
    void* handle_;
};

// Opened once, by the first caller; other threads wait for it.
const Library& Mixer()
{
    static const Library library("libSDL2_mixer-2.0.so.0");
    return library;
}

const Library& Synthesiser()
{
    static const Library library("libfluidsynth.so.3");
    return library;
}

// The library's own function of the same name and type (null when it cannot be had). The name
// is looked up in that library alone, never in this program, whose function of the same name
// is the one calling.
template <typename Function> Function Resolve(const Library& library, const char* name)
{
    return reinterpret_cast<Function>(library.Symbol(name));
}

int Missing()
{
    return SDL_SetError("The audio mixer library is not installed");
}

template <typename T> T* MissingAs()
{
    Missing();
    return nullptr;
}

// A loader that was handed its source to close closes it also when it cannot load.
template <typename T> T* MissingWithSource(SDL_RWops* source, int closeSource)
{
    if (closeSource != 0 && source != nullptr)
        SDL_RWclose(source);
    return MissingAs<T>();
}

} // namespace

int Mix_Init(int flags)
{
    static const auto real = Resolve<decltype(&::Mix_Init)>(Mixer(), "Mix_Init");
    return real != nullptr ? real(flags) : 0;
}

void Mix_Quit(void)
{
    static const auto real = Resolve<decltype(&::Mix_Quit)>(Mixer(), "Mix_Quit");
    if (real != nullptr)
        real();
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize)
{
    static const auto real = Resolve<decltype(&::Mix_OpenAudio)>(Mixer(), "Mix_OpenAudio");
    return real != nullptr ? real(frequency, format, channels, chunksize) : Missing();
}

void Mix_CloseAudio(void)
{
    static const auto real = Resolve<decltype(&::Mix_CloseAudio)>(Mixer(), "Mix_CloseAudio");
    if (real != nullptr)
        real();
}

int Mix_QuerySpec(int* frequency, Uint16* format, int* channels)
{
    static const auto real = Resolve<decltype(&::Mix_QuerySpec)>(Mixer(), "Mix_QuerySpec");
    return real != nullptr ? real(frequency, format, channels) : 0;
}

int Mix_AllocateChannels(int numchans)
{
    static const auto real =
        Resolve<decltype(&::Mix_AllocateChannels)>(Mixer(), "Mix_AllocateChannels");
    return real != nullptr ? real(numchans) : 0;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc)
{
    static const auto real = Resolve<decltype(&::Mix_LoadWAV_RW)>(Mixer(), "Mix_LoadWAV_RW");
    return real != nullptr ? real(src, freesrc) : MissingWithSource<Mix_Chunk>(src, freesrc);
}

Mix_Music* Mix_LoadMUS(const char* file)
{
    static const auto real = Resolve<decltype(&::Mix_LoadMUS)>(Mixer(), "Mix_LoadMUS");
    return real != nullptr ? real(file) : MissingAs<Mix_Music>();
}

void Mix_FreeChunk(Mix_Chunk* chunk)
{
    static const auto real = Resolve<decltype(&::Mix_FreeChunk)>(Mixer(), "Mix_FreeChunk");
    if (real != nullptr)
        real(chunk);
}

void Mix_FreeMusic(Mix_Music* music)
{
    static const auto real = Resolve<decltype(&::Mix_FreeMusic)>(Mixer(), "Mix_FreeMusic");
    if (real != nullptr)
        real(music);
}

Mix_MusicType Mix_GetMusicType(const Mix_Music* music)
{
    static const auto real = Resolve<decltype(&::Mix_GetMusicType)>(Mixer(), "Mix_GetMusicType");
    return real != nullptr ? real(music) : MUS_NONE;
}

void Mix_SetPostMix(void(SDLCALL* mixFunc)(void*, Uint8*, int), void* arg)
{
    static const auto real = Resolve<decltype(&::Mix_SetPostMix)>(Mixer(), "Mix_SetPostMix");
    if (real != nullptr)
        real(mixFunc, arg);
}

void Mix_HookMusic(void(SDLCALL* mixFunc)(void*, Uint8*, int), void* arg)
{
    static const auto real = Resolve<decltype(&::Mix_HookMusic)>(Mixer(), "Mix_HookMusic");
    if (real != nullptr)
        real(mixFunc, arg);
}

int Mix_PlayChannel(int channel, Mix_Chunk* chunk, int loops)
{
    static const auto real = Resolve<decltype(&::Mix_PlayChannel)>(Mixer(), "Mix_PlayChannel");
    return real != nullptr ? real(channel, chunk, loops) : Missing();
}

int Mix_PlayMusic(Mix_Music* music, int loops)
{
    static const auto real = Resolve<decltype(&::Mix_PlayMusic)>(Mixer(), "Mix_PlayMusic");
    return real != nullptr ? real(music, loops) : Missing();
}

int Mix_HaltChannel(int channel)
{
    static const auto real = Resolve<decltype(&::Mix_HaltChannel)>(Mixer(), "Mix_HaltChannel");
    return real != nullptr ? real(channel) : 0;
}

int Mix_HaltMusic(void)
{
    static const auto real = Resolve<decltype(&::Mix_HaltMusic)>(Mixer(), "Mix_HaltMusic");
    return real != nullptr ? real() : 0;
}

int Mix_Playing(int channel)
{
    static const auto real = Resolve<decltype(&::Mix_Playing)>(Mixer(), "Mix_Playing");
    return real != nullptr ? real(channel) : 0;
}

int Mix_PlayingMusic(void)
{
    static const auto real = Resolve<decltype(&::Mix_PlayingMusic)>(Mixer(), "Mix_PlayingMusic");
    return real != nullptr ? real() : 0;
}

int Mix_SetSoundFonts(const char* paths)
{
    static const auto real = Resolve<decltype(&::Mix_SetSoundFonts)>(Mixer(), "Mix_SetSoundFonts");
    return real != nullptr ? real(paths) : 0;
}

const char* Mix_GetSoundFonts(void)
{
    static const auto real = Resolve<decltype(&::Mix_GetSoundFonts)>(Mixer(), "Mix_GetSoundFonts");
    return real != nullptr ? real() : nullptr;
}

Mix_Chunk* Mix_GetChunk(int channel)
{
    static const auto real = Resolve<decltype(&::Mix_GetChunk)>(Mixer(), "Mix_GetChunk");
    return real != nullptr ? real(channel) : nullptr;
}

fluid_settings_t* new_fluid_settings(void)
{
    static const auto real =
        Resolve<decltype(&::new_fluid_settings)>(Synthesiser(), "new_fluid_settings");
    return real != nullptr ? real() : nullptr;
}

void delete_fluid_settings(fluid_settings_t* settings)
{
    static const auto real =
        Resolve<decltype(&::delete_fluid_settings)>(Synthesiser(), "delete_fluid_settings");
    if (real != nullptr)
        real(settings);
}

int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double val)
{
    static const auto real =
        Resolve<decltype(&::fluid_settings_setnum)>(Synthesiser(), "fluid_settings_setnum");
    return real != nullptr ? real(settings, name, val) : FLUID_FAILED;
}

int fluid_settings_setstr(fluid_settings_t* settings, const char* name, const char* str)
{
    static const auto real =
        Resolve<decltype(&::fluid_settings_setstr)>(Synthesiser(), "fluid_settings_setstr");
    return real != nullptr ? real(settings, name, str) : FLUID_FAILED;
}

int fluid_settings_setint(fluid_settings_t* settings, const char* name, int val)
{
    static const auto real =
        Resolve<decltype(&::fluid_settings_setint)>(Synthesiser(), "fluid_settings_setint");
    return real != nullptr ? real(settings, name, val) : FLUID_FAILED;
}

fluid_synth_t* new_fluid_synth(fluid_settings_t* settings)
{
    static const auto real =
        Resolve<decltype(&::new_fluid_synth)>(Synthesiser(), "new_fluid_synth");
    return real != nullptr ? real(settings) : nullptr;
}

void delete_fluid_synth(fluid_synth_t* synth)
{
    static const auto real =
        Resolve<decltype(&::delete_fluid_synth)>(Synthesiser(), "delete_fluid_synth");
    if (real != nullptr)
        real(synth);
}

int fluid_synth_sfload(fluid_synth_t* synth, const char* filename, int resetPresets)
{
    static const auto real =
        Resolve<decltype(&::fluid_synth_sfload)>(Synthesiser(), "fluid_synth_sfload");
    return real != nullptr ? real(synth, filename, resetPresets) : FLUID_FAILED;
}

void fluid_synth_set_gain(fluid_synth_t* synth, float gain)
{
    static const auto real =
        Resolve<decltype(&::fluid_synth_set_gain)>(Synthesiser(), "fluid_synth_set_gain");
    if (real != nullptr)
        real(synth, gain);
}

int fluid_synth_write_s16(fluid_synth_t* synth, int len, void* lout, int loff, int lincr,
                          void* rout, int roff, int rincr)
{
    static const auto real =
        Resolve<decltype(&::fluid_synth_write_s16)>(Synthesiser(), "fluid_synth_write_s16");
    return real != nullptr ? real(synth, len, lout, loff, lincr, rout, roff, rincr) : FLUID_FAILED;
}

fluid_player_t* new_fluid_player(fluid_synth_t* synth)
{
    static const auto real =
        Resolve<decltype(&::new_fluid_player)>(Synthesiser(), "new_fluid_player");
    return real != nullptr ? real(synth) : nullptr;
}

void delete_fluid_player(fluid_player_t* player)
{
    static const auto real =
        Resolve<decltype(&::delete_fluid_player)>(Synthesiser(), "delete_fluid_player");
    if (real != nullptr)
        real(player);
}

int fluid_player_add_mem(fluid_player_t* player, const void* buffer, size_t len)
{
    static const auto real =
        Resolve<decltype(&::fluid_player_add_mem)>(Synthesiser(), "fluid_player_add_mem");
    return real != nullptr ? real(player, buffer, len) : FLUID_FAILED;
}

int fluid_player_play(fluid_player_t* player)
{
    static const auto real =
        Resolve<decltype(&::fluid_player_play)>(Synthesiser(), "fluid_player_play");
    return real != nullptr ? real(player) : FLUID_FAILED;
}

fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t fun, void* data)
{
    static const auto real =
        Resolve<decltype(&::fluid_set_log_function)>(Synthesiser(), "fluid_set_log_function");
    return real != nullptr ? real(level, fun, data) : nullptr;
}
