#pragma once

// The process-wide audio output that every MediaControl plays through: the audio subsystem and the
// mixer with its one music stream. It is started on first use and stopped when its last user lets
// go, so a program that destroys its media controls before it ends leaves nothing open behind.
// When no audio device can be opened (no sound hardware, no sound server, a driver named in
// SDL_AUDIODRIVER that does not exist) acquire() fails quickly and the caller goes on silently;
// the next acquire() tries again. Window thread only.
class AudioOutput {
public:
    AudioOutput() = delete;

    // Starts the output when it is not running. True when it runs; every true must be matched by
    // one release().
    static bool acquire();

    // Lets go of one acquire(). The last release halts the music and closes the output.
    static void release();

    // True while at least one user holds the output.
    static bool isRunning();

    // The mixer has one music stream for the whole process. Whoever last started music through it
    // records itself here, so that another user's "stop" or "close" does not cut it off.
    static void setMusicOwner(const void* owner);
    static const void* musicOwner();
};
