// SPDX-License-Identifier: MIT
#include "core/userfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/atomicfile.h"

namespace fs = std::filesystem;

namespace zabrel {

namespace {

constexpr const char* NOT_REGULAR = "Not a regular file";
constexpr const char* READ_ONLY = "Read-only file";

std::string systemReason(int error) {
    return std::strerror(error);
}

// Follows the links at `path` (as many as the system would) to the name a write
// lands on, which need not exist yet.
bool followLinks(fs::path& path, std::string& reason) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (ec || !fs::is_symlink(status))
            return true;
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            reason = ec.message();
            return false;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    reason = systemReason(ELOOP);
    return false;
}

bool isReadOnly(const struct stat& info, const fs::path& path) {
    // Root may write anything, so the bits themselves say what the user wants.
    return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Opens `path` for reading only if it is a regular file: Done with `fd` open and
// `info` filled, else Missing or Failed with `fd` closed.
UserFile::Read openRegular(const fs::path& path, int& fd, struct stat& info, std::string& reason) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return UserFile::Read::Missing;
        reason = systemReason(errno);
        return UserFile::Read::Failed;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? systemReason(EISDIR) : NOT_REGULAR;
        ::close(fd);
        fd = -1;
        return UserFile::Read::Failed;
    }
    return UserFile::Read::Done;
}

}  // namespace

UserFile::Read UserFile::read(const fs::path& path, std::uintmax_t limit, std::string& bytes,
                              std::string& reason) {
    bytes.clear();
    struct stat info {};
    int fd = -1;
    if (const Read opened = openRegular(path, fd, info, reason); opened != Read::Done)
        return opened;
    char buffer[65536];
    Read result = Read::Done;
    while (result == Read::Done) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = systemReason(errno);
            result = Read::Failed;
        } else if (got == 0) {
            break;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(got));
            if (bytes.size() > limit)
                result = Read::TooLarge;
        }
    }
    ::close(fd);
    return result;
}

UserFile::Mapping::~Mapping() {
    if (length != 0)
        ::munmap(const_cast<unsigned char*>(bytes), length);
}

UserFile::Mapping::Mapping(Mapping&& other) noexcept
    : bytes(std::exchange(other.bytes, nullptr)), length(std::exchange(other.length, 0)) {}

UserFile::Mapping& UserFile::Mapping::operator=(Mapping&& other) noexcept {
    if (this != &other) {
        Mapping gone(std::move(*this));
        bytes = std::exchange(other.bytes, nullptr);
        length = std::exchange(other.length, 0);
    }
    return *this;
}

UserFile::Read UserFile::map(const fs::path& path, std::uintmax_t limit, Mapping& mapping,
                             std::string& reason) {
    mapping = Mapping();
    struct stat info {};
    int fd = -1;
    if (const Read opened = openRegular(path, fd, info, reason); opened != Read::Done)
        return opened;
    Read result = Read::Done;
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        result = Read::TooLarge;
    } else if (info.st_size > 0) {
        void* at = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (at == MAP_FAILED) {
            reason = systemReason(errno);
            result = Read::Failed;
        } else {
            mapping.bytes = static_cast<const unsigned char*>(at);
            mapping.length = static_cast<std::size_t>(info.st_size);
        }
    }
    ::close(fd);
    return result;
}

fs::path UserFile::resolve(const fs::path& path) {
    fs::path target = path;
    std::string reason;
    return followLinks(target, reason) ? target : path;
}

fs::path UserFile::saveTarget(const fs::path& path, std::string& reason) {
    fs::path target = path;
    if (!followLinks(target, reason))
        return {};
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return target;
        reason = systemReason(errno);
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? systemReason(EISDIR) : NOT_REGULAR;
        return {};
    }
    if (isReadOnly(info, target)) {
        reason = READ_ONLY;
        return {};
    }
    return target;
}

bool UserFile::replace(const fs::path& target, std::string_view bytes, std::string& reason) {
    AtomicFile out(target.string());
    if (!out.open()) {
        reason = out.error();
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        const int fd = ::fileno(out.stream());
        ::fchmod(fd, old.st_mode & 07777);
        // Root saving a user's file leaves it the user's; anyone else cannot, and need not.
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not worth failing the save over: the words are written, owned by root.
        }
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.stream()) != bytes.size()) {
        reason = systemReason(errno);
        return false;
    }
    if (!out.commit()) {
        reason = out.error();
        return false;
    }
    return true;
}

bool UserFile::isNullDevice(const fs::path& path) {
    struct stat info {};
    struct stat null {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) && ::stat("/dev/null", &null) == 0 &&
           info.st_rdev == null.st_rdev;
}

ino_t UserFile::inode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_ino : 0;
}

fs::path userDataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && fs::path(data).is_absolute())
        return fs::path(data);
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {};
    return fs::path(home) / ".local" / "share";
}

}  // namespace zabrel
