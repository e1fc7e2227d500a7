#include "verifiable_facts.h"

#include "draw/record_format.h"
#include "draw/verifiable_sequence.h"

namespace kelvara::output {

namespace {

constexpr std::size_t kHexGroup = 8;

std::string endingWords(draw::CommitmentEnd end) {
    switch (end) {
    case draw::CommitmentEnd::Revealed:
        return "已公布";
    case draw::CommitmentEnd::VoidBeforeInput:
        return "公开输入前作废";
    case draw::CommitmentEnd::AbandonedAfterInput:
        break;
    }
    return "公开输入后放弃";
}

} // namespace

VerifiableFacts verifiableFacts(const draw::VerifiableRun& run) {
    VerifiableFacts facts;
    facts.algorithm = run.inputs.algorithm();
    if (run.inputs.placesSha256) {
        facts.placesSha256 = draw::toHex(*run.inputs.placesSha256);
    }
    if (run.inputs.procedure) {
        facts.commitmentLabel = kProcedureCommitmentLabel;
    }
    facts.list = run.listFile + "，共" + std::to_string(run.inputs.lines) + "人";
    facts.listSha256 = draw::toHex(run.inputs.listSha256);
    facts.planSha256 = run.inputs.planSha256 ? draw::toHex(*run.inputs.planSha256) : kNoPlan;
    if (run.committed) {
        facts.committed = draw::formatDateTime(*run.committed);
    }
    facts.commitment = draw::toHex(run.commitment);
    facts.commitmentNumber = "本名单第" + std::to_string(run.commitmentNumber()) + "次承诺";
    for (std::size_t k = 0; k < run.earlier.size(); ++k) {
        const draw::EarlierCommitment& earlier = run.earlier[k];
        facts.earlier.push_back("此前承诺" + std::to_string(k + 1) + "：" +
                                groupedHex(earlier.commitment) + "，" + endingWords(earlier.end) +
                                "（" + earlier.record + "）");
    }
    for (std::size_t k = 0; k < run.witnessParts.size(); ++k) {
        facts.witnesses.push_back(witnessLine(k + 1, run.witnessParts[k]));
    }
    if (run.sequence) {
        facts.publicInput = run.inputs.publicInput;
    }
    if (run.revealed) {
        facts.secret = draw::toHex(run.inputs.secret);
    }
    return facts;
}

std::string witnessLine(std::size_t k, std::string_view digits) {
    return "见证人" + std::to_string(k) + "：" + std::string(digits);
}

std::string hiddenWitnessLine(std::size_t k, std::size_t digits) {
    return "见证人" + std::to_string(k) + "：已输入" + std::to_string(digits) + "位";
}

std::string groupedHex(std::string_view hex) {
    std::string grouped;
    for (std::size_t at = 0; at < hex.size(); at += kHexGroup) {
        grouped += (at == 0 ? "" : " ") + std::string(hex.substr(at, kHexGroup));
    }
    return grouped;
}

std::pair<std::string, std::string> groupedHexHalves(std::string_view hex) {
    const std::string grouped = groupedHex(hex);
    const std::size_t half = grouped.size() / 2;
    return {grouped.substr(0, half), grouped.substr(half + 1)};
}

} // namespace kelvara::output
