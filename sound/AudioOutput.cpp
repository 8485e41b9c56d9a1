#include "sound/AudioOutput.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

namespace {

// The output's state. Lives here only.
struct AudioState {
    int users = 0;
    const void* musicOwner = nullptr;
};

AudioState& state() {
    static AudioState audio;
    return audio;
}

constexpr int kChunkFrames = 2048; // about 46 ms at 44.1 kHz: short enough to stop at once

} // namespace

bool AudioOutput::acquire() {
    AudioState& audio = state();
    if (audio.users > 0) {
        ++audio.users;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, MIX_DEFAULT_CHANNELS,
                      kChunkFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    audio.users = 1;
    audio.musicOwner = nullptr;
    return true;
}

void AudioOutput::release() {
    AudioState& audio = state();
    if (audio.users <= 0)
        return;
    if (--audio.users > 0)
        return;
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio.musicOwner = nullptr;
}

bool AudioOutput::isRunning() {
    return state().users > 0;
}

void AudioOutput::setMusicOwner(const void* owner) {
    state().musicOwner = owner;
}

const void* AudioOutput::musicOwner() {
    return state().musicOwner;
}
