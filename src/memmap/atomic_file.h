#pragma once
// The one way this program writes a file: the new content goes to a temporary file in the same
// folder, is flushed to the disk, and is then renamed over the target, so at every moment the target
// holds either all of its old bytes or all of the new ones.
#include <string>
#include <string_view>

namespace kestrio {

// Replaces the file at `path` with `bytes`. An existing file keeps its permissions. On any failure
// (folder not writable, path names a folder, disk full, ...) the temporary file is removed, the old
// file is left byte-identical, and false is returned with `error` telling the user, e.g.
// "Could not save /x/a.tag (Permission denied); the old file is unchanged."
bool AtomicSave(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace kestrio
