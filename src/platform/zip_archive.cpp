#include "zip_archive.h"

#include <unzip.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kelvara::platform {

struct ZipArchive::Stream {
    std::string_view bytes;
    std::uint64_t position = 0;
};

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;
constexpr int kCaseInsensitive = 2;
constexpr uLong kEncryptedFlag = 1;

using MemoryStream = ZipArchive::Stream;

MemoryStream& streamOf(voidpf stream) {
    return *static_cast<MemoryStream*>(stream);
}

// minizip's file functions over bytes in memory, for reading only.
voidpf openMemory(voidpf opaque, const void*, int mode) {
    return (mode & ZLIB_FILEFUNC_MODE_READ) != 0 ? opaque : nullptr;
}

uLong readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    MemoryStream& s = streamOf(stream);
    const std::uint64_t left = s.bytes.size() - std::min<std::uint64_t>(s.position, s.bytes.size());
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
    std::memcpy(buffer, s.bytes.data() + s.position, count);
    s.position += count;
    return static_cast<uLong>(count);
}

uLong writeNothing(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T tellMemory(voidpf, voidpf stream) {
    return streamOf(stream).position;
}

long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    MemoryStream& s = streamOf(stream);
    std::uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
        base = s.position;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
        base = s.bytes.size();
    }
    if (offset > s.bytes.size() || base > s.bytes.size() - offset) {
        return -1;
    }
    s.position = base + offset;
    return 0;
}

int closeMemory(voidpf, voidpf) {
    return 0;
}

int noError(voidpf, voidpf) {
    return 0;
}

} // namespace

ZipArchive::ZipArchive(std::string_view bytes) {
    m_stream = std::make_unique<Stream>(Stream{bytes, 0});
    zlib_filefunc64_def io{openMemory, readMemory,  writeNothing, tellMemory,
                           seekMemory, closeMemory, noError,      m_stream.get()};
    m_zip = unzOpen2_64("", &io);
}

ZipArchive::~ZipArchive() {
    if (m_zip != nullptr) {
        unzClose(m_zip);
    }
}

bool ZipArchive::contains(const std::string& name) {
    return m_zip != nullptr && unzLocateFile(m_zip, name.c_str(), kCaseInsensitive) == UNZ_OK;
}

EntryEnd ZipArchive::read(const std::string& name, std::uint64_t limit,
                          const EntryConsumer& consumer) {
    if (!contains(name)) {
        return EntryEnd::Missing;
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return EntryEnd::Damaged;
    }
    if ((info.flag & kEncryptedFlag) != 0) {
        return EntryEnd::Encrypted;
    }
    if (info.uncompressed_size > limit) {
        return EntryEnd::TooLarge;
    }
    if (unzOpenCurrentFile(m_zip) != UNZ_OK) {
        return EntryEnd::Damaged;
    }
    std::vector<char> piece(kPieceBytes);
    std::uint64_t total = 0;
    EntryEnd end = EntryEnd::Complete;
    for (;;) {
        const int got =
            unzReadCurrentFile(m_zip, piece.data(), static_cast<unsigned>(piece.size()));
        if (got < 0) {
            end = EntryEnd::Damaged;
            break;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<std::uint64_t>(got);
        if (total > limit) {
            end = EntryEnd::TooLarge;
            break;
        }
        if (!consumer(std::string_view(piece.data(), static_cast<std::size_t>(got)))) {
            end = EntryEnd::Stopped;
            break;
        }
    }
    // Only an entry read to its end has its CRC checked.
    const int closed = unzCloseCurrentFile(m_zip);
    if (end == EntryEnd::Complete && closed != UNZ_OK) {
        end = EntryEnd::Damaged;
    }
    return end;
}

} // namespace kelvara::platform
