#include "verifiable_sequence.h"

#include <algorithm>
#include <limits>
#include <span>
#include <string_view>
#include <utility>

namespace kelvara::draw {

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendBigEndian(Bytes& out, std::uint64_t value) {
    for (int shift = 56; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Every input is preceded by its length, so no two sets of inputs give the same bytes.
void appendWithLength(Bytes& out, std::span<const std::uint8_t> data) {
    appendBigEndian(out, data.size());
    out.insert(out.end(), data.begin(), data.end());
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::span<const std::uint8_t> planBytes(const VerifiableInputs& inputs) {
    return inputs.planSha256 ? std::span<const std::uint8_t>(*inputs.planSha256)
                             : std::span<const std::uint8_t>();
}

std::span<const std::uint8_t> placesBytes(const VerifiableInputs& inputs) {
    return inputs.placesSha256 ? std::span<const std::uint8_t>(*inputs.placesSha256)
                               : std::span<const std::uint8_t>();
}

// The inputs as the commitment and the key take them: version 3 adds the places list's.
void appendInputs(Bytes& material, const VerifiableInputs& inputs) {
    appendWithLength(material, inputs.secret);
    appendWithLength(material, inputs.listSha256);
    appendWithLength(material, planBytes(inputs));
    if (inputs.procedure) {
        appendWithLength(material, placesBytes(inputs));
    }
}

platform::Digest keyOf(const platform::Hashes& hashes, const VerifiableInputs& inputs) {
    Bytes material;
    appendInputs(material, inputs);
    appendWithLength(material, bytesOf(inputs.publicInput));
    appendBigEndian(material, static_cast<std::uint64_t>(inputs.lines));
    return hashes.hmacSha256(bytesOf(inputs.algorithm()), material);
}

} // namespace

platform::Digest commitmentOf(const platform::Hashes& hashes, const VerifiableInputs& inputs) {
    Bytes material;
    appendWithLength(material, bytesOf(inputs.algorithm()));
    appendInputs(material, inputs);
    appendBigEndian(material, static_cast<std::uint64_t>(inputs.lines));
    return hashes.sha256(material);
}

platform::Digest procedureKey(const platform::Hashes& hashes, const VerifiableInputs& inputs) {
    return keyOf(hashes, inputs);
}

KeyedStream::KeyedStream(const platform::Hashes& hashes, const platform::Digest& key)
    : m_hashes(&hashes), m_key(key), m_used(m_block.size()) {}

void shuffleByLabel(const platform::Hashes& hashes, const platform::Digest& key,
                    const std::string& label, std::vector<int>& items) {
    if (items.size() < 2) {
        return;
    }
    KeyedStream stream(hashes, hashes.hmacSha256(key, bytesOf(label)));
    for (std::size_t k = 0; k + 1 < items.size(); ++k) {
        const std::size_t j = k + static_cast<std::size_t>(stream.below(items.size() - k));
        std::swap(items[k], items[j]);
    }
}

VerifiableSequence::VerifiableSequence(const platform::Hashes& hashes,
                                       const VerifiableInputs& inputs)
    : m_stream(hashes, keyOf(hashes, inputs)) {
    m_lines.resize(static_cast<std::size_t>(std::max(inputs.lines, 0)));
    for (std::size_t k = 0; k < m_lines.size(); ++k) {
        m_lines[k] = static_cast<int>(k) + 1;
    }
}

// The stream HMAC-SHA256(key, block number as 8 bytes) for blocks 0, 1, 2 ..., read
// 8 bytes at a time, big-endian.
std::uint64_t KeyedStream::next64() {
    if (m_used == m_block.size()) {
        Bytes counter;
        appendBigEndian(counter, m_blockIndex++);
        m_block = m_hashes->hmacSha256(m_key, counter);
        m_used = 0;
    }
    std::uint64_t value = 0;
    for (int k = 0; k < 8; ++k) {
        value = (value << 8) | m_block[m_used++];
    }
    return value;
}

// A number below `bound`, each as likely: values from the last, incomplete multiple of
// `bound` below 2^64 are drawn again, so no number is favoured.
std::uint64_t KeyedStream::below(std::uint64_t bound) {
    const std::uint64_t excess = (0 - bound) % bound; // 2^64 mod bound
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() - excess;
    for (;;) {
        const std::uint64_t value = next64();
        if (value <= limit) {
            return value % bound;
        }
    }
}

int VerifiableSequence::next() {
    const auto k = static_cast<std::size_t>(m_position);
    if (k >= m_lines.size()) {
        return 0;
    }
    const std::size_t j = k + static_cast<std::size_t>(m_stream.below(m_lines.size() - k));
    std::swap(m_lines[k], m_lines[j]);
    ++m_position;
    return m_lines[k];
}

int VerifiableSequence::lineAt(int position) {
    if (position < 1 || position > static_cast<int>(m_lines.size())) {
        return 0;
    }
    while (m_position < position) {
        next();
    }
    return m_lines[static_cast<std::size_t>(position - 1)];
}

std::string toHex(const platform::Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

std::optional<platform::Digest> digestFromHex(std::string_view hex) {
    const auto value = [](char c) -> int {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    platform::Digest digest{};
    if (hex.size() != 2 * digest.size()) {
        return std::nullopt;
    }
    for (std::size_t k = 0; k < digest.size(); ++k) {
        const int high = value(hex[2 * k]);
        const int low = value(hex[2 * k + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        digest[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

} // namespace kelvara::draw
