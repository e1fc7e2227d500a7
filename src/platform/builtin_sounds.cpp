#include "builtin_sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string_view>

namespace kelvara::platform {

namespace {

using Samples = std::vector<double>;

constexpr double kRate = kBuiltinSampleRate;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

void putLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFU));
    }
}

void putTag(std::vector<std::uint8_t>& bytes, std::string_view tag) {
    for (const char c : tag) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
}

// Samples in [-1, 1] as a canonical 44-byte-header PCM WAV file.
std::vector<std::uint8_t> wavOf(const Samples& samples) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataSize);
    putTag(bytes, "RIFF");
    putLittleEndian(bytes, 36 + dataSize, 4);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    putLittleEndian(bytes, 16, 4);                 // the format chunk's size
    putLittleEndian(bytes, 1, 2);                  // PCM
    putLittleEndian(bytes, 1, 2);                  // mono
    putLittleEndian(bytes, kBuiltinSampleRate, 4); // samples per second
    putLittleEndian(bytes, kBuiltinSampleRate * 2, 4);
    putLittleEndian(bytes, 2, 2);  // bytes per sample
    putLittleEndian(bytes, 16, 2); // bits per sample
    putTag(bytes, "data");
    putLittleEndian(bytes, dataSize, 4);
    for (const double sample : samples) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32767.0));
        putLittleEndian(bytes, static_cast<std::uint16_t>(value), 2);
    }
    return bytes;
}

// A snare tick: noise with a fast decay, over a short tone for its body.
void addTick(Samples& out, std::size_t at, double loudness, std::minstd_rand& noise) {
    std::uniform_real_distribution<double> white(-1.0, 1.0);
    const auto length = static_cast<std::size_t>(0.06 * kRate);
    for (std::size_t i = 0; i < length && at + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double body = std::sin(kTwoPi * 330.0 * t) * std::exp(-t * 60.0);
        out[at + i] += loudness * (0.7 * white(noise) * std::exp(-t * 70.0) + 0.3 * body);
    }
}

// A low drum: a tone that falls in pitch as it fades.
void addDrum(Samples& out, std::size_t at, double loudness) {
    const auto length = static_cast<std::size_t>(0.2 * kRate);
    double phase = 0.0;
    for (std::size_t i = 0; i < length && at + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += kTwoPi * (55.0 + 90.0 * std::exp(-t * 25.0)) / kRate;
        out[at + i] += loudness * std::sin(phase) * std::exp(-t * 14.0);
    }
}

// Two seconds at 120 beats a minute: sixteenth-note ticks, each beat accented.
Samples rollingBeat() {
    constexpr int kTicks = 16;
    Samples out(static_cast<std::size_t>(2.0 * kRate), 0.0);
    const std::size_t step = out.size() / kTicks;
    std::minstd_rand noise(20261209);
    for (int tick = 0; tick < kTicks; ++tick) {
        const bool onBeat = tick % 4 == 0;
        addTick(out, static_cast<std::size_t>(tick) * step, onBeat ? 0.55 : 0.3, noise);
        if (tick == 0 || tick == 8) {
            addDrum(out, static_cast<std::size_t>(tick) * step, 0.6);
        }
    }
    return out;
}

// A brass-like note: a few harmonics under a quick attack and a slow release.
void addNote(Samples& out, double start, double length, double frequency, double loudness) {
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(length * kRate);
    for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.02);
        const double release = std::min(1.0, (length - t) / 0.25);
        const double vibrato = 1.0 + 0.003 * std::sin(kTwoPi * 5.5 * t);
        const double w = kTwoPi * frequency * vibrato * t;
        const double tone =
            std::sin(w) + 0.5 * std::sin(2 * w) + 0.3 * std::sin(3 * w) + 0.15 * std::sin(4 * w);
        out[first + i] += loudness * attack * std::max(0.0, release) * tone / 1.95;
    }
}

// C5 E5 G5 in quick steps, then the C major chord with C6 on top, held.
Samples fanfare() {
    Samples out(static_cast<std::size_t>(1.9 * kRate), 0.0);
    constexpr double kC5 = 523.25;
    constexpr double kE5 = 659.25;
    constexpr double kG5 = 783.99;
    constexpr double kC6 = 1046.50;
    addNote(out, 0.00, 0.16, kC5, 0.45);
    addNote(out, 0.15, 0.16, kE5, 0.45);
    addNote(out, 0.30, 0.16, kG5, 0.45);
    for (const double note : {kC5, kE5, kG5, kC6}) {
        addNote(out, 0.45, 1.4, note, 0.19);
    }
    addNote(out, 0.45, 1.4, kC5 / 2, 0.2);
    return out;
}

} // namespace

std::vector<std::uint8_t> builtinSoundWav(BuiltinSound sound) {
    return wavOf(sound == BuiltinSound::Roll ? rollingBeat() : fanfare());
}

} // namespace kelvara::platform
