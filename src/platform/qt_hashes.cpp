#include "qt_hashes.h"

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <algorithm>

namespace kelvara::platform {

namespace {

QByteArrayView view(std::span<const std::uint8_t> bytes) {
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

Digest digestOf(const QByteArray& bytes) {
    Digest digest{};
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), digest.size()),
                reinterpret_cast<char*>(digest.data()));
    return digest;
}

} // namespace

Digest QtHashes::sha256(std::span<const std::uint8_t> data) const {
    return digestOf(QCryptographicHash::hash(view(data), QCryptographicHash::Sha256));
}

Digest QtHashes::hmacSha256(std::span<const std::uint8_t> key,
                            std::span<const std::uint8_t> message) const {
    return digestOf(QMessageAuthenticationCode::hash(
        view(message).toByteArray(), view(key).toByteArray(), QCryptographicHash::Sha256));
}

Digest QtHashes::newSecret() const {
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    Digest secret{};
    for (std::size_t k = 0; k < secret.size(); ++k) {
        secret[k] = static_cast<std::uint8_t>(words[k / 4] >> (8 * (k % 4)));
    }
    return secret;
}

} // namespace kelvara::platform
