#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/hashes.h"
#include "prize_positions.h"

namespace kelvara::draw {

// The algorithm's name and version, recorded with every verifiable run: a later algorithm
// gets another name, so that old records stay checkable.
inline constexpr char kVerifiableAlgorithm[] = "kelvara-verifiable-draw-2";
// A run over a procedure plan (groups, tiers, a waiting list, places) is drawn with this one.
inline constexpr char kProcedureAlgorithm[] = "kelvara-verifiable-draw-3";

// What fixes a verifiable run's winners: the secret behind the commitment shown at
// Initialize, the list and prize plan as their SHA-256, the public input keyed in after
// the commitment was shown, and the number of lines in the list.
struct VerifiableInputs {
    platform::Digest secret{};
    platform::Digest listSha256{};
    std::optional<platform::Digest> planSha256; // none without a plan
    std::string publicInput;                    // UTF-8, as recorded
    int lines = 0;
    bool procedure = false;                       // drawn with kProcedureAlgorithm
    std::optional<platform::Digest> placesSha256; // a procedure's places list; none without

    const char* algorithm() const { return procedure ? kProcedureAlgorithm : kVerifiableAlgorithm; }
};

// The commitment shown at Initialize: one SHA-256 over the algorithm's name, the secret, the
// list's and the plan's SHA-256 and the number of lines, so that one value binds them all.
platform::Digest commitmentOf(const platform::Hashes& hashes, const VerifiableInputs& inputs);

// The key every stream of a procedure's run derives from (its own label for each).
platform::Digest procedureKey(const platform::Hashes& hashes, const VerifiableInputs& inputs);

// HMAC-SHA256(key, block number as 8 bytes) for blocks 0, 1, 2 ..., read 8 bytes at a time,
// big-endian, and numbers below a bound drawn from it without bias.
class KeyedStream final {
public:
    KeyedStream(const platform::Hashes& hashes, const platform::Digest& key);
    std::uint64_t next64();
    std::uint64_t below(std::uint64_t bound);

private:
    const platform::Hashes* m_hashes;
    platform::Digest m_key{};
    platform::Digest m_block{};
    std::uint64_t m_blockIndex = 0;
    std::size_t m_used; // bytes of m_block taken
};

// Fisher-Yates over `items`, by the stream of HMAC(key, label).
void shuffleByLabel(const platform::Hashes& hashes, const platform::Digest& key,
                    const std::string& label, std::vector<int>& items);

// The run's one sequence of line numbers (docs/verifiable-draw.md): a partial Fisher-Yates
// shuffle of 1..lines, driven by an HMAC-SHA256 stream in counter mode, with each index
// drawn by rejection on 64-bit integers. Which positions a round takes is PrizePositions'.
class VerifiableSequence final {
public:
    VerifiableSequence(const platform::Hashes& hashes, const VerifiableInputs& inputs);

    // The line at `position` (from 1); 0 beyond the list.
    int lineAt(int position);

private:
    int next();

    KeyedStream m_stream;
    std::vector<int> m_lines;
    int m_position = 0;
};

// An earlier commitment over the same list in the same data folder, and how its run ended.
// In order from the furthest a run got.
enum class CommitmentEnd { Revealed, AbandonedAfterInput, VoidBeforeInput };
struct EarlierCommitment {
    std::string record; // its record's file name
    std::string commitment;
    CommitmentEnd end = CommitmentEnd::Revealed;
};

// A verifiable run: its inputs, the commitment shown at Initialize with the earlier ones over
// the same list, the witnesses' parts and, once the public input is in, the sequence its
// winners come from and the positions its rounds have taken.
struct VerifiableRun {
    VerifiableInputs inputs;
    std::vector<int> prizeCounts; // the plan's places, prize by prize
    platform::Digest commitment{};
    std::vector<EarlierCommitment> earlier;
    std::string listFile;                             // the list's file name
    std::optional<platform::LocalDateTime> committed; // none for a run continued from its record
    std::vector<std::string> witnessParts;
    std::optional<VerifiableSequence> sequence;
    PrizePositions positions;
    int procedureEntries = 0; // a procedure's people listed, as its reveal counts them
    bool revealed = false;

    // "本名单第k次承诺"
    int commitmentNumber() const { return static_cast<int>(earlier.size()) + 1; }
};

// Lower-case hex, as records and screens show digests.
std::string toHex(const platform::Digest& digest);
std::optional<platform::Digest> digestFromHex(std::string_view hex);

} // namespace kelvara::draw
