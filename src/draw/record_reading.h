#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_alignment.h"
#include "notice.h"
#include "platform/clock.h"
#include "prize_plan.h"
#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::draw {

struct RecordedWinner {
    int number = 0;               // result number
    int line = 0;                 // line in the list
    int round = 0;                // the round block it stands in, from 1
    platform::LocalDateTime time; // that round's time
    int prize = 0;                // that round's prize, from 1; 0 without a plan
    int replaces = 0;             // a procedure's 递补: the winner this one moved up for
};

// What a record tells of its run.
struct RecordedRun {
    int lineCount = 0;
    std::string sha256;
    // One hash per line of the list; empty in records of earlier versions. They tell a list
    // edited in place since from one whose lines moved.
    std::vector<LineHash> lineHashes;
    int rounds = 0;
    std::vector<RecordedWinner> winners;
    // The prize plan read at Initialize: its file's SHA-256 (empty for a run without plan)
    // and its prizes; the prize the operator chose last (0: none).
    std::string planSha256;
    std::vector<Prize> prizes;
    int chosenPrize = 0;
    // A procedure's places list, and an ordinary procedure's key (hex) once its first round
    // was drawn.
    std::string placesFile;
    std::string placesSha256;
    int places = 0;
    std::string drawKey;
    std::vector<AbsentMark> marks; // in the order they were made
    // How rows were shown last (see choiceText); empty when the record does not say.
    std::string columnChoice;
    // A verifiable run: its algorithm, commitment and secret (hex), and the public input
    // once the witnesses keyed it; empty otherwise.
    std::string verifiableAlgorithm;
    std::string commitment;
    std::vector<EarlierCommitment> earlier; // over the same list, before this one
    std::string secret;                     // recorded with the public input
    std::vector<std::string> witnessParts;
    std::string publicInput;
    platform::LocalDateTime publicInputTime;
    bool revealed = false;
    platform::LocalDateTime revealedTime;
    int revealedPositions = 0;
    platform::LocalDateTime lastRoundTime;
    bool closed = false;   // ended through the exit questions, or not to be continued
    bool cutAtEnd = false; // the last line has no line end: a power cut stopped its write
    // Why the run cannot be continued, and the record's line that shows it (from 1).
    RecordDamage damage = RecordDamage::None;
    int damagedLine = 0;
};

// Reads a record. Empty when the text holds no whole line: the run never wrote its head.
// Line ends are CR LF as written, or LF after an editor; a last line without its end was
// cut off by a power cut and is ignored, as is a last round that lost lines with it. Every
// other line must be one the program writes, with its fields in range.
std::optional<RecordedRun> parseRecord(std::string_view text);

} // namespace kelvara::draw
