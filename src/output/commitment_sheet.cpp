#include "commitment_sheet.h"

#include "draw/record_format.h"
#include "draw/verifiable_sequence.h"

namespace kelvara::output {

namespace {

constexpr char kCrLf[] = "\r\n";
constexpr std::size_t kHexGroup = 8;

} // namespace

std::string groupedHex(const std::string& hex) {
    std::string grouped;
    for (std::size_t at = 0; at < hex.size(); at += kHexGroup) {
        grouped += (at == 0 ? "" : " ") + hex.substr(at, kHexGroup);
    }
    return grouped;
}

std::string commitmentSheet(const draw::VerifiableRun& run) {
    std::string sheet = std::string("可验证摇号承诺") + kCrLf + kCrLf;
    sheet += std::string("算法：") + draw::kVerifiableAlgorithm + kCrLf;
    sheet += "名单：" + run.listFile + "，共" + std::to_string(run.inputs.lines) + "人" + kCrLf;
    sheet += "名单SHA-256：" + draw::toHex(run.inputs.listSha256) + kCrLf;
    sheet += "奖项表SHA-256：" +
             (run.inputs.planSha256 ? draw::toHex(*run.inputs.planSha256) : "无奖项表") + kCrLf;
    if (run.committed) {
        sheet += "承诺时间：" + draw::formatDateTime(*run.committed) + kCrLf;
    }
    sheet += std::string("承诺 C = SHA-256(秘密值)：") + kCrLf +
             groupedHex(draw::toHex(run.commitment)) + kCrLf;
    for (std::size_t k = 0; k < run.witnessParts.size(); ++k) {
        sheet += "见证人" + std::to_string(k + 1) + "：" + run.witnessParts[k] + kCrLf;
    }
    if (run.sequence) {
        sheet += "公开输入：" + run.inputs.publicInput + kCrLf;
    }
    if (run.revealed) {
        sheet +=
            std::string("秘密值：") + kCrLf + groupedHex(draw::toHex(run.inputs.secret)) + kCrLf;
    }
    return sheet;
}

} // namespace kelvara::output
