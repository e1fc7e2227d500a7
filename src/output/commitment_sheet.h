#pragma once

#include <string>

namespace kelvara::draw {
struct VerifiableRun;
}

namespace kelvara::output {

inline constexpr char kCommitmentFileName[] = "摇号承诺.txt";

// A verifiable run's commitment as a sheet to print and sign: the algorithm, the list and
// plan as their SHA-256, the commitment, and whatever the run has added since (the
// witnesses' digits, the secret once revealed). Lines end in CR LF.
std::string commitmentSheet(const draw::VerifiableRun& run);

} // namespace kelvara::output
