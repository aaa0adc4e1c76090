// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zabrel {

// Replaces a file without ever exposing a half-written one and without following a
// symlink: the bytes go to a new, uniquely named file beside the target (created with
// O_EXCL | O_NOFOLLOW, so a planted link or file is never written through), which is
// synced and then renamed over the target. A rename replaces a symlink at the target
// itself, never the file it points to. Readers see the old file or the new one.
class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // an uncommitted temporary file is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false (with error()) when the folder is not writable.
    bool open();
    std::FILE* stream() const { return file; }
    // Flushes, syncs and renames the temporary file into place; false (with error())
    // when any step fails, and then the target is untouched.
    bool commit();
    void discard();

    const std::string& target() const { return targetPath; }
    // The system's reason for the last failure, e.g. "Permission denied".
    const std::string& error() const { return reason; }

private:
    bool fail();

    std::string targetPath;
    std::string temporaryPath;
    std::FILE* file = nullptr;
    std::string reason;
};

// Writes `bytes` as the whole new content of `path` through an AtomicFile. Returns
// false and sets `error` to the system's reason on failure.
bool replaceFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace zabrel
