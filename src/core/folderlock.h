// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace zabrel {

// An advisory lock (flock) on a lock file, held until destruction. Programs that
// build or copy a dictionary folder take it exclusively, so that one builds while the
// others wait and then load what it built.
class FolderLock {
public:
    enum class Mode { Shared, Exclusive };

    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Blocks until the lock is held. With `create` the lock file is made when missing
    // (never through a symlink). False when the file cannot be opened (a read-only
    // folder, say): the caller then goes on unlocked, as nothing else can write there.
    bool acquire(const std::string& lockFile, Mode mode, bool create);
    void release();
    bool held() const { return fd >= 0; }

private:
    int fd = -1;
};

}  // namespace zabrel
