// SPDX-License-Identifier: MIT
#include "core/atomicfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace zabrel {

namespace {

// Distinct per process and per call; O_EXCL settles the rare clash.
std::string temporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const unsigned serial = counter.fetch_add(1);
    return target + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(seed ^ (serial * 2654435761u));
}

// The rename is only durable once the folder's own entry is on disk.
void syncFolder(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : targetPath(std::move(target)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail() {
    reason = std::strerror(errno);
    discard();
    return false;
}

bool AtomicFile::open() {
    discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaryName(targetPath);
        const int fd =
            ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            reason = std::strerror(errno);
            temporaryPath.clear();
            return false;
        }
        file = ::fdopen(fd, "wb");
        if (file == nullptr) {
            ::close(fd);
            return fail();
        }
        return true;
    }
    reason = std::strerror(EEXIST);
    temporaryPath.clear();
    return false;
}

bool AtomicFile::commit() {
    if (file == nullptr) {
        if (reason.empty())
            reason = std::strerror(EBADF);
        return false;
    }
    if (std::fflush(file) != 0 || std::ferror(file) != 0 || ::fsync(::fileno(file)) != 0)
        return fail();
    std::FILE* done = file;
    file = nullptr;
    if (std::fclose(done) != 0)
        return fail();
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
        return fail();
    temporaryPath.clear();
    syncFolder(targetPath);
    return true;
}

void AtomicFile::discard() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    if (!temporaryPath.empty()) {
        ::unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
}

bool replaceFile(const std::string& path, std::string_view bytes, std::string& error) {
    AtomicFile out(path);
    if (!out.open()) {
        error = out.error();
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.stream()) != bytes.size()) {
        error = std::strerror(errno);
        return false;
    }
    if (!out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

}  // namespace zabrel
