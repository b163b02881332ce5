#pragma once
// Where the generators find the documents of a project folder.
#include "common/file_io.h"
#include "gateway/document_names.h"

#include <string>

namespace gw {

inline constexpr const char* kPargenFile = "pargen.xml";

inline std::string PargenFilePath(const std::string& projectDir) {
    return JoinPath(projectDir, kPargenFile);
}

inline std::string FrameFilePath(const std::string& projectDir, FrameListKind kind) {
    return JoinPath(projectDir, frames::FileName(kind));
}

} // namespace gw
