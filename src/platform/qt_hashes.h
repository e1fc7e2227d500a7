#pragma once

#include "platform/hashes.h"

namespace kelvara::platform {

// The hashes by Qt's QCryptographicHash and QMessageAuthenticationCode.
class QtHashes final : public Hashes {
public:
    Digest sha256(std::span<const std::uint8_t> data) const override;
    Digest hmacSha256(std::span<const std::uint8_t> key,
                      std::span<const std::uint8_t> message) const override;
    Digest newSecret() const override;
};

} // namespace kelvara::platform
