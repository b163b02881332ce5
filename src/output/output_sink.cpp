#include "output/output_sink.h"

#include "common/file_io.h"

namespace gw {

void AtomicFileSink::Commit() {
    WriteFileAtomic(path_, pending_);
}

} // namespace gw
