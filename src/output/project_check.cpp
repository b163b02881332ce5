#include "output/project_check.h"

#include "common/errors.h"
#include "gateway/pargen.h"
#include "gateway/project_documents.h"
#include "output/bank_image.h"

#include <exception>
#include <unordered_set>

namespace gw {

namespace {

// The editors' checks of one frame list: what loading it into an editor
// reports, then OK's checks of the rows it shows.
Findings EditorFindings(const FrameListDocument& list, CobIdWidth width) {
    Findings found;
    FrameGrid grid(list.kind);
    try {
        const FrameLoadResult r = FillFrameGrid(list, grid);
        if (r.framesInDocument > MaxFrameRows)
            found.push_back({list.name, 0, 0, TooManyFramesMessage(list.kind, r.framesInDocument)});
    } catch (const std::exception& e) {
        found.push_back({list.name, 0, 0, e.what()});
    }
    // The rows read before a failed load are checked too, as the editor would on OK.
    const Findings rows = CheckFrameRows(list.kind, grid, width);
    found.insert(found.end(), rows.begin(), rows.end());
    return found;
}

} // namespace

ProjectCheck CheckProject(const ProjectDocuments& docs) {
    ProjectCheck check;
    Findings found;
    auto add = [&found](const Findings& more) {
        found.insert(found.end(), more.begin(), more.end());
    };
    if (docs.parameters.state == DocumentState::Failed) {
        add({*docs.parameters.failure});
    } else {
        const PargenFields f = PargenFieldsOf(docs.parameters);
        add(CheckPargenFields(f.sendTime, f.timeOut, f.profiId));
        add(ParameterBlockFindings(docs.parameters));
        check.width = CobIdWidthOf(docs.parameters);
    }
    for (const FrameListKind kind : {FrameListKind::Receive, FrameListKind::Send}) {
        add(EditorFindings(docs.List(kind), check.width));
        add(GeneratorFindings(docs.List(kind), true));
    }
    if (const std::size_t size = BankImageSize(docs); size > kBankImageCapacity)
        add({{files::kBankFile, 0, 0, BankImageTooLarge(size, kBankImageCapacity).what()}});

    // Two checks may find the same thing; the user hears of it once.
    std::unordered_set<std::string> seen;
    for (Finding& f : found)
        if (seen.insert(FindingLine(f)).second)
            check.findings.push_back(std::move(f));
    return check;
}

} // namespace gw
