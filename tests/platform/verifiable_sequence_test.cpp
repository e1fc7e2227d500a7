#include "draw/verifiable_sequence.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/qt_hashes.h"

namespace kelvara::draw {
namespace {

platform::Digest fromHex(const std::string& hex) {
    platform::Digest digest{};
    for (std::size_t k = 0; k < digest.size(); ++k) {
        digest[k] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * k, 2), nullptr, 16));
    }
    return digest;
}

std::vector<int> firstLines(VerifiableSequence& sequence, int count) {
    std::vector<int> lines;
    for (int k = 0; k < count; ++k) {
        if (const int line = sequence.next(); line != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

// The test vectors of docs/verifiable-draw.md, which a second implementation computed from
// the document's text alone.
TEST(VerifiableSequenceTest, DrawsTheDocumentedVectors) {
    platform::QtHashes hashes;
    VerifiableInputs inputs;
    for (std::size_t k = 0; k < inputs.secret.size(); ++k) {
        inputs.secret[k] = static_cast<std::uint8_t>(k);
    }
    inputs.listSha256 = fromHex("8b3a0b2fe990f734657e14bae703d88f77044cd6ff7ce0dd5bc018b10fc5d485");
    const auto plan = fromHex("b8952fe595399528f741aef57535ef88d5dae230ae5c3dd72b47f076fb9963af");
    inputs.publicInput = "3141592653-58979";
    const struct {
        int lines;
        bool withPlan;
        std::vector<int> first20;
    } vectors[] = {
        {2, false, {1, 2}},
        {10, true, {1, 8, 9, 6, 4, 7, 3, 10, 5, 2}},
        {10000, true, {6778, 7412, 8777, 528,  9443, 7639, 2709, 2458, 838,  4657,
                       1400, 5642, 5409, 3609, 8467, 7458, 3899, 7011, 4177, 1320}},
    };
    EXPECT_EQ(hashes.sha256(inputs.secret),
              fromHex("630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd"));
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.lines);
        inputs.lines = vector.lines;
        inputs.planSha256 = vector.withPlan ? std::optional(plan) : std::nullopt;
        VerifiableSequence sequence(hashes, inputs);
        EXPECT_EQ(firstLines(sequence, 20), vector.first20);
        EXPECT_EQ(sequence.position(), std::min(20, vector.lines));
    }
}

// Every input counts, and the whole list is drawn once each.
TEST(VerifiableSequenceTest, EveryInputCountsAndEveryLineComesOnce) {
    platform::QtHashes hashes;
    VerifiableInputs base;
    base.lines = 500;
    base.publicInput = "1234567890123";
    const auto drawn = [&](const VerifiableInputs& inputs) {
        VerifiableSequence sequence(hashes, inputs);
        return firstLines(sequence, 501);
    };
    const std::vector<int> all = drawn(base);
    std::vector<int> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < 500; ++k) {
        ASSERT_EQ(sorted[static_cast<std::size_t>(k)], k + 1);
    }
    auto changed = base;
    changed.secret[31] ^= 1;
    EXPECT_NE(drawn(changed), all) << "the secret";
    changed = base;
    changed.listSha256[0] ^= 1;
    EXPECT_NE(drawn(changed), all) << "the list";
    changed = base;
    changed.planSha256 = platform::Digest{};
    EXPECT_NE(drawn(changed), all) << "a plan, even one of zeros";
    changed = base;
    changed.publicInput = "1234567890124";
    EXPECT_NE(drawn(changed), all) << "the public input";
}

// Blocks of the stream as a test scripts them.
class ScriptedHashes final : public platform::Hashes {
public:
    platform::Digest sha256(std::span<const std::uint8_t>) const override { return {}; }
    platform::Digest hmacSha256(std::span<const std::uint8_t>,
                                std::span<const std::uint8_t>) const override {
        if (blocks.empty()) {
            return {};
        }
        const platform::Digest block = blocks.front();
        blocks.pop_front();
        return block;
    }
    platform::Digest newSecret() const override { return {}; }
    mutable std::deque<platform::Digest> blocks;
};

// A value from the incomplete last multiple of the bound is drawn again, not folded onto
// the small numbers (which would favour the first lines).
TEST(VerifiableSequenceTest, ValuesPastTheLastWholeMultipleAreDrawnAgain) {
    ScriptedHashes hashes;
    platform::Digest allOnes{};
    allOnes.fill(0xFF);
    platform::Digest block{};
    block.fill(0xFF);
    block[15] = 0x02; // the second value: 0xFF..FF02, below the limit for 3 lines
    hashes.blocks = {platform::Digest{}, allOnes, block};
    VerifiableInputs inputs;
    inputs.lines = 3;
    VerifiableSequence sequence(hashes, inputs); // takes the first block as its key
    // 2^64 - 1 lies past the last whole multiple of 3: the four values of the block of ones
    // and the first of the next are drawn again; its second value counts.
    EXPECT_EQ(sequence.next(), 1 + static_cast<int>(0xFFFFFFFFFFFFFF02ULL % 3));
}

} // namespace
} // namespace kelvara::draw
