// SPDX-License-Identifier: MIT
#include "core/folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace zabrel {

bool FolderLock::acquire(const std::string& lockFile, Mode mode, bool create) {
    release();
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0);
    fd = ::open(lockFile.c_str(), flags, 0666);
    if (fd < 0)
        return false;
    const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    while (::flock(fd, operation) != 0) {
        if (errno != EINTR) {
            release();
            return false;
        }
    }
    return true;
}

void FolderLock::release() {
    if (fd >= 0) {
        ::close(fd);  // closing the last descriptor drops the lock
        fd = -1;
    }
}

}  // namespace zabrel
