// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zabrel {

// Files that belong to the user: the personal word list, a text saved from the dialog.
// Reading never blocks on a FIFO nor runs away on a device; a save goes only to a
// regular file (or, through a link that stays a link, to the file it names) or to a
// name that does not exist yet, never to one the user made read-only, and is checked
// to the last byte before it replaces anything. Failures are reported as short
// reasons in the system's style ("Not a regular file", "Read-only file", "Permission
// denied") for the caller to put in its own words with the file's name.
class UserFile {
public:
    enum class Read { Done, Missing, TooLarge, Failed };

    // A file's bytes mapped read-only, unmapped with the object. The mapping shows
    // the file as it is: one replaced by rename leaves it whole, one truncated in
    // place would take pages from under it, so only files that are replaced by
    // rename (as every writer of ours does) are to be mapped.
    class Mapping {
    public:
        Mapping() = default;
        ~Mapping();
        Mapping(Mapping&& other) noexcept;
        Mapping& operator=(Mapping&& other) noexcept;
        Mapping(const Mapping&) = delete;
        Mapping& operator=(const Mapping&) = delete;

        const unsigned char* data() const { return bytes; }
        std::size_t size() const { return length; }

    private:
        friend class UserFile;
        const unsigned char* bytes = nullptr;
        std::size_t length = 0;
    };

    // The whole file into `bytes`, refusing anything but a regular file and reading
    // no more than `limit` + 1 bytes. Missing covers a dangling link and a missing
    // folder.
    static Read read(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes,
                     std::string& reason);

    // The same checks and answers as read(), with the file mapped instead of copied.
    static Read map(const std::filesystem::path& path, std::uintmax_t limit, Mapping& mapping,
                    std::string& reason);

    // The name `path` leads to through its links, existing or not (`path` itself when
    // a link cannot be read).
    static std::filesystem::path resolve(const std::filesystem::path& path);

    // Where a save of `path` writes: `path` itself, or the file its links lead to.
    // Empty, with `reason`, when that is not a regular file or is read-only.
    static std::filesystem::path saveTarget(const std::filesystem::path& path, std::string& reason);

    // Replaces `target` (a saveTarget) by `bytes` through a synced temporary file,
    // keeping the old file's permissions and, where allowed, its owner. The folder
    // must exist.
    static bool replace(const std::filesystem::path& target, std::string_view bytes, std::string& reason);

    // True for /dev/null under any name: asked for as a file, it means "none".
    static bool isNullDevice(const std::filesystem::path& path);

    // The identity of a regular file, to tell whether it was replaced since: 0 when
    // there is none.
    static ino_t inode(const std::filesystem::path& path);
};

// $XDG_DATA_HOME, else ~/.local/share; empty when neither can be had. A relative
// XDG_DATA_HOME is ignored, as the base-directory rules ask: it would give each working
// directory a data folder of its own.
std::filesystem::path userDataHome();

}  // namespace zabrel
