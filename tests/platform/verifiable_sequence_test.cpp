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
    for (int position = 1; position <= count; ++position) {
        if (const int line = sequence.lineAt(position); line != 0) {
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
        const char* commitment;
        std::vector<int> first20;
    } vectors[] = {
        {2, false, "bd20b7ce49f0bb0341fc0a3301db3148bf46259e717abb5706813ff49a759ac7", {1, 2}},
        {10,
         true,
         "f0218af00b7df472f1c97b64fe0661cc35308a77d8f3d5171e65d4fec893cfb4",
         {2, 5, 4, 9, 3, 10, 6, 7, 8, 1}},
        {10000,
         true,
         "44bab1821a820d1b36116d915f79eba8dc55ece53f54cc47ca1bcc00bc598abb",
         {3460, 1562, 1866, 3297, 6694, 1305, 6773, 9224, 2473, 4592,
          1262, 8119, 9269, 1520, 9644, 6590, 9529, 5884, 9038, 5727}},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.lines);
        inputs.lines = vector.lines;
        inputs.planSha256 = vector.withPlan ? std::optional(plan) : std::nullopt;
        EXPECT_EQ(commitmentOf(hashes, inputs), fromHex(vector.commitment));
        VerifiableSequence sequence(hashes, inputs);
        EXPECT_EQ(firstLines(sequence, 20), vector.first20);
        EXPECT_EQ(sequence.lineAt(vector.lines + 1), 0);
    }
}

// Version 3's vectors: the commitment with and without a places list, the key, and shuffles
// under their labels.
TEST(VerifiableSequenceTest, ShufflesAProcedureByTheDocumentedVectors) {
    platform::QtHashes hashes;
    VerifiableInputs inputs;
    for (std::size_t k = 0; k < inputs.secret.size(); ++k) {
        inputs.secret[k] = static_cast<std::uint8_t>(k);
    }
    inputs.listSha256 = fromHex("8b3a0b2fe990f734657e14bae703d88f77044cd6ff7ce0dd5bc018b10fc5d485");
    inputs.planSha256 = fromHex("b8952fe595399528f741aef57535ef88d5dae230ae5c3dd72b47f076fb9963af");
    inputs.publicInput = "3141592653-58979";
    inputs.procedure = true;
    inputs.lines = 10;
    EXPECT_EQ(toHex(commitmentOf(hashes, inputs)),
              "4dd2251e2fea89011c63cc02e36463f6175f3dfa6f073b4c9b37995f703a77c9");
    EXPECT_EQ(toHex(procedureKey(hashes, inputs)),
              "85498c96d47ffee3a97ddcd3673833b2fde94c8f6a3fe1c0573ee08b54b7c4be");
    inputs.placesSha256 =
        fromHex("02bd72e959ab9e6de424d6b1c826e7af0c3ec0ae919b2a4336c37ea42dfda16f");
    EXPECT_EQ(toHex(commitmentOf(hashes, inputs)),
              "a1082896e06aefffc00f59885fc7a4c415ac140bba4676caf008416d5a840dde");
    const platform::Digest key = procedureKey(hashes, inputs);
    EXPECT_EQ(toHex(key), "50893e237c4b540147c675a69c533d0d4e2459385714c57720e29b721ef245a5");

    const struct {
        int lines;
        const char* label;
        std::vector<int> first;
    } shuffles[] = {
        {10, "order/1/1", {6, 5, 8, 3, 9, 10, 1, 7, 2, 4}},
        {10, "places/1", {7, 6, 8, 1, 10, 3, 2, 4, 9, 5}},
        {10000, "order/1/1", {2923, 1688, 9425, 6461, 6217, 721,  7375, 8005, 1045, 5230,
                              861,  9178, 3920, 795,  5763, 3807, 5659, 8567, 2890, 5853}},
    };
    for (const auto& [lines, label, first] : shuffles) {
        inputs.lines = lines;
        std::vector<int> items(static_cast<std::size_t>(lines));
        for (int k = 0; k < lines; ++k) {
            items[static_cast<std::size_t>(k)] = k + 1;
        }
        shuffleByLabel(hashes, procedureKey(hashes, inputs), label, items);
        items.resize(first.size());
        EXPECT_EQ(items, first) << label << " of " << lines;
    }
}

// Every input counts, and the whole list is drawn once each; the commitment binds every
// input but the public input, which comes after it.
TEST(VerifiableSequenceTest, TheCommitmentBindsListPlanAndCount) {
    platform::QtHashes hashes;
    VerifiableInputs base;
    base.lines = 500;
    const platform::Digest committed = commitmentOf(hashes, base);
    auto changed = base;
    changed.secret[0] ^= 1;
    EXPECT_NE(commitmentOf(hashes, changed), committed) << "the secret";
    changed = base;
    changed.listSha256[31] ^= 1;
    EXPECT_NE(commitmentOf(hashes, changed), committed) << "the list";
    changed = base;
    changed.planSha256 = platform::Digest{};
    EXPECT_NE(commitmentOf(hashes, changed), committed) << "a plan, even one of zeros";
    changed = base;
    changed.lines = 501;
    EXPECT_NE(commitmentOf(hashes, changed), committed) << "the count";
    changed = base;
    changed.publicInput = "1234567890123";
    EXPECT_EQ(commitmentOf(hashes, changed), committed) << "the public input comes later";
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
    EXPECT_EQ(sequence.lineAt(1), 1 + static_cast<int>(0xFFFFFFFFFFFFFF02ULL % 3));
}

} // namespace
} // namespace kelvara::draw
