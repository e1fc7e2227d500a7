#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kelvara::platform {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256, HMAC-SHA256 and secrets, for the draw that anyone can check afterwards.
class Hashes {
public:
    virtual ~Hashes() = default;

    virtual Digest sha256(std::span<const std::uint8_t> data) const = 0;
    virtual Digest hmacSha256(std::span<const std::uint8_t> key,
                              std::span<const std::uint8_t> message) const = 0;
    // 32 bytes from the operating system's random source, which nobody can predict.
    virtual Digest newSecret() const = 0;
};

} // namespace kelvara::platform
