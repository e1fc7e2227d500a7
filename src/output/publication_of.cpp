#include "publication.h"

#include "draw/list_columns.h"
#include "draw/record_format.h"
#include "draw/results.h"
#include "draw/verifiable_sequence.h"
#include "platform/record_store.h"
#include "procedure_rows.h"
#include "verifiable_facts.h"

namespace kelvara::output {

namespace {

// A label as the announcement's lines have it, without the colon the facts' labels carry.
std::string withoutColon(std::string label) {
    constexpr std::string_view kColon = "：";
    if (label.ends_with(kColon)) {
        label.resize(label.size() - kColon.size());
    }
    return label;
}

std::vector<std::pair<std::string, std::string>> factsOf(const draw::VerifiableRun& run) {
    const VerifiableFacts facts = verifiableFacts(run);
    return {
        {withoutColon(kAlgorithmLabel), facts.algorithm},
        {"承诺 C", facts.commitment},
        {withoutColon(kPublicInputLabel),
         facts.publicInput.empty() ? std::string("（尚未输入）") : facts.publicInput},
        {withoutColon(kSecretLabel),
         facts.secret.empty() ? std::string("（尚未公布）") : facts.secret},
        {"核对页面", std::string(platform::kCheckerPageName) + "（在摇号记录文件夹中）"},
    };
}

} // namespace

Publication publicationOf(const draw::Results& results, const draw::RowFormat& format,
                          const draw::VerifiableRun* run, const ListIdentity& list,
                          PublicationEvent event) {
    Publication publication;
    publication.title = std::move(event.title);
    publication.date = std::move(event.date);
    publication.place = std::move(event.place);
    publication.listName = list.file;
    publication.listCount = list.count;
    publication.listSha256 = list.sha256;
    if (run != nullptr) {
        publication.facts = factsOf(*run);
    }
    const bool byColumns = !format.showsLines(draw::Place::Files);
    publication.columns =
        byColumns ? format.titles(draw::Place::Files) : std::vector<std::string>{"姓名"};
    publication.withPrizes = !results.prizes().empty();
    // A procedure lists everyone it listed, the whole waiting list too, with their places.
    const ProcedureRows procedure(results);
    publication.procedure = procedure.active();
    publication.placeColumns = procedure.placeHeadings();
    for (const draw::ResultEntry& entry : results.entries()) {
        PublicationRow& row = publication.rows.emplace_back();
        row.number = entry.number;
        row.prize = results.prizeName(entry.prize);
        row.cells = byColumns ? format.shownCells(entry.winner, draw::Place::Files)
                              : std::vector<std::string>{draw::singleLine(entry.winner.name)};
        row.absent = entry.absent.has_value();
        if (procedure.active()) {
            row.order = ProcedureRows::order(entry);
            row.place = procedure.place(entry);
            row.movedUp = procedure.movedUp(entry);
        }
    }
    return publication;
}

} // namespace kelvara::output
