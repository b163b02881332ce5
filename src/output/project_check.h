#pragma once
// Everything the editors and the generators would refuse in a project, found
// at once: what `check` prints and what the commissioning report starts from.
#include "common/findings.h"
#include "gateway/frame_list.h"

namespace gw {

struct ProjectDocuments;

struct ProjectCheck {
    // Each document's findings together: the editor's, then what the
    // configuration image needs beyond them. A finding two checks share is
    // kept once.
    Findings findings;
    // The identifier width the frames were checked with (11-bit when
    // pargen.xml cannot be read).
    CobIdWidth width = CobIdWidth::Bits11;
};

ProjectCheck CheckProject(const ProjectDocuments& docs);

} // namespace gw
