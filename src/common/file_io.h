#pragma once
// File and folder operations shared by every document and output.
#include <string>
#include <string_view>

namespace gw {

// Replaces `path` with `bytes` through a temporary file in the same folder, so a
// failed write never leaves a half-written file where a good one stood.
// Throws FileError naming the file and the system's reason.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads a whole file; throws FileError naming the file and the reason.
std::string ReadWholeFile(const std::string& path);

bool FileExists(const std::string& path);

// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

// Creates every missing folder along `path`; true when the folder exists
// afterwards. An empty path is an error ("Unable to create directory").
bool CreateFolderPath(const std::string& path);

// Creates one folder level; false when the system refuses, with its reason.
bool CreateOneFolder(const std::string& path, std::string* reason = nullptr);

// Joins a folder and a name with the platform separator.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace gw
