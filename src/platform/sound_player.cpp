#include "sound_player.h"

namespace kelvara::platform {

std::string soundName(const Sound& sound, std::string_view folder) {
    if (sound.file.empty()) {
        return sound.builtin == BuiltinSound::Roll ? "builtin:roll" : "builtin:fanfare";
    }
    std::string_view file = sound.file;
    if (!folder.empty() && file.starts_with(folder) && file.size() > folder.size() &&
        (file[folder.size()] == '/' || file[folder.size()] == '\\')) {
        file.remove_prefix(folder.size() + 1);
    }
    return std::string(file);
}

} // namespace kelvara::platform
