#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelvara::platform {

// How reading one entry of a zip archive ended.
enum class EntryEnd {
    Complete,
    Stopped,   // the consumer had what it needed
    Missing,   // no entry of that name
    TooLarge,  // it expands past the limit given
    Encrypted, // protected by a password
    Damaged,   // not inflatable, or its CRC does not match
};

// Receives an entry's bytes as they are inflated; returns false to stop.
using EntryConsumer = std::function<bool(std::string_view piece)>;

// A zip archive held in memory, read through minizip without temporary files. Entries are
// inflated in pieces of a fixed size, so what an entry claims about its size is never
// trusted: a few KB that expand to gigabytes cost only the time to reach the limit.
class ZipArchive final {
public:
    // `bytes` must outlive the archive.
    explicit ZipArchive(std::string_view bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False when the bytes are not a zip archive minizip can read.
    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const std::string& name);
    // Inflates the named entry (names compared without regard to case) into the consumer.
    EntryEnd read(const std::string& name, std::uint64_t limit, const EntryConsumer& consumer);

    struct Stream; // where minizip reads, at one address for its callbacks

private:
    std::unique_ptr<Stream> m_stream;
    void* m_zip = nullptr;
};

} // namespace kelvara::platform
