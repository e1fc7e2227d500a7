#include "commitment_sheet.h"

#include "verifiable_facts.h"

namespace kelvara::output {

namespace {

constexpr char kCrLf[] = "\r\n";

} // namespace

std::string commitmentSheet(const draw::VerifiableRun& run) {
    const VerifiableFacts facts = verifiableFacts(run);
    std::string sheet = std::string("可验证摇号承诺") + kCrLf + kCrLf;
    sheet += kAlgorithmLabel + facts.algorithm + kCrLf;
    sheet += kListLabel + facts.list + kCrLf;
    sheet += kListSha256Label + facts.listSha256 + kCrLf;
    sheet += kPlanSha256Label + facts.planSha256 + kCrLf;
    if (!facts.placesSha256.empty()) {
        sheet += kPlacesSha256Label + facts.placesSha256 + kCrLf;
    }
    if (!facts.committed.empty()) {
        sheet += kCommittedLabel + facts.committed + kCrLf;
    }
    sheet += facts.commitmentLabel + std::string(kCrLf) + groupedHex(facts.commitment) + kCrLf;
    sheet += facts.commitmentNumber + kCrLf;
    for (const std::string& earlier : facts.earlier) {
        sheet += earlier + kCrLf;
    }
    for (const std::string& witness : facts.witnesses) {
        sheet += witness + kCrLf;
    }
    if (!facts.publicInput.empty()) {
        sheet += kPublicInputLabel + facts.publicInput + kCrLf;
    }
    if (!facts.secret.empty()) {
        sheet += kSecretLabel + std::string(kCrLf) + groupedHex(facts.secret) + kCrLf;
    }
    return sheet;
}

} // namespace kelvara::output
