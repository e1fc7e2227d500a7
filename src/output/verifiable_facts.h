#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvara::draw {
struct VerifiableRun;
}

namespace kelvara::output {

// The labels of a verifiable run's facts, as every medium names them.
inline constexpr char kAlgorithmLabel[] = "算法：";
inline constexpr char kListLabel[] = "名单：";
inline constexpr char kListSha256Label[] = "名单SHA-256：";
inline constexpr char kPlanSha256Label[] = "奖项表SHA-256：";
inline constexpr char kNoPlan[] = "无奖项表";
inline constexpr char kCommittedLabel[] = "承诺时间：";
inline constexpr char kCommitmentLabel[] = "承诺 C（由秘密值、名单、奖项表和人数算出）：";
// A procedure's commitment binds its places list as well.
inline constexpr char kPlacesSha256Label[] = "房源表SHA-256：";
inline constexpr char kProcedureCommitmentLabel[] =
    "承诺 C（由秘密值、名单、奖项表、房源表和人数算出）：";
inline constexpr char kPublicInputLabel[] = "公开输入：";
inline constexpr char kSecretLabel[] = "秘密值：";

// A verifiable run's facts, worded once: the commitment sheet, the run's window and the
// audience view each lay them out in their own way. Digests are lower-case hex.
struct VerifiableFacts {
    std::string algorithm;
    std::string list; // "bonus.txt，共12人"
    std::string listSha256;
    std::string planSha256;   // kNoPlan without a plan
    std::string placesSha256; // a procedure's places list; empty without one
    std::string commitmentLabel = kCommitmentLabel;
    std::string committed; // the commitment's time; empty for a run continued from its record
    std::string commitment;
    std::string commitmentNumber;       // "本名单第2次承诺"
    std::vector<std::string> earlier;   // "此前承诺1：<C>，已公布"
    std::vector<std::string> witnesses; // "见证人1：123456", once the public input is in
    std::string publicInput;            // empty until the witnesses keyed it
    std::string secret;                 // empty until it is revealed
};

VerifiableFacts verifiableFacts(const draw::VerifiableRun& run);

// "见证人<k>：<digits>", k counting from 1.
std::string witnessLine(std::size_t k, std::string_view digits);
// "见证人<k>：已输入<n>位": the digits stay hidden until the input is confirmed, so that no
// witness can choose after seeing the others'.
std::string hiddenWitnessLine(std::size_t k, std::size_t digits);

// A digest in groups of eight, easier to read aloud and to compare on a photograph.
std::string groupedHex(std::string_view hex);
// The grouped digest in two lines of four groups: large enough to photograph, short enough
// to read aloud.
std::pair<std::string, std::string> groupedHexHalves(std::string_view hex);

} // namespace kelvara::output
