#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelvara::platform {

// The program's own sounds, made by its code: a rolling beat and a fanfare.
enum class BuiltinSound { Roll, Fanfare };

// What to play: a sound file (UTF-8 path) or, without one, a built-in sound.
struct Sound {
    std::string file;
    BuiltinSound builtin = BuiltinSound::Roll;

    friend bool operator==(const Sound&, const Sound&) = default;
};

// Plays the draw's sounds. Every request returns at once: the playing, and the finding out
// that a file does not play, happen beside the draw. One sound plays at a time; a new
// request replaces the one playing.
class SoundPlayer {
public:
    // A sound could not be played: which, and why (UTF-8, for the operator).
    using ErrorSink = std::function<void(const Sound& sound, const std::string& reason)>;

    virtual ~SoundPlayer() = default;

    virtual void playLoop(const Sound& sound) = 0; // until stop() or the next request
    virtual void playOnce(const Sound& sound) = 0;
    virtual void stop() = 0;
    virtual void setVolume(int percent) = 0; // 0 to 100
    virtual void setMuted(bool muted) = 0;
    // Called on the thread that made the requests, never from within a request.
    virtual void setErrorSink(ErrorSink sink) = 0;
};

// Plays nothing and never fails: for windows built without sound.
class SilentSoundPlayer final : public SoundPlayer {
public:
    void playLoop(const Sound&) override {}
    void playOnce(const Sound&) override {}
    void stop() override {}
    void setVolume(int) override {}
    void setMuted(bool) override {}
    void setErrorSink(ErrorSink) override {}
};

// How a sound is written in the sound log: "builtin:roll", "builtin:fanfare", or the file's
// path, relative to `folder` when inside it.
std::string soundName(const Sound& sound, std::string_view folder = {});

} // namespace kelvara::platform
