// Whole-file reads and crash-safe replacement (see AtomicFile.h).
#include "platform/system/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys {
namespace {

bool flushToDisk = true;

// Where flock is not supported, a temporary file this old is taken as left over.
constexpr time_t kStaleWithoutLocksSeconds = 3600;
// Random names collide only by a writer's bad luck; give up long before it matters.
constexpr int kNameAttempts = 64;

std::string Describe(const char* what, const std::filesystem::path& p, int err) {
    return std::string(what) + " " + p.string() + ": " + std::strerror(err);
}

// Closes the descriptor on every way out.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

int Flock(int fd, int operation) {
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Six characters from the kernel's random source; a forked copy of the program draws its own.
std::string RandomSuffix() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // Without the random source the name still differs per process and per call.
        static unsigned counter = 0;
        const unsigned v = static_cast<unsigned>(::getpid()) * 2654435761u + counter++;
        for (size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = static_cast<unsigned char>(v >> (4 * i));
    }
    std::string suffix;
    for (unsigned char b : bytes)
        suffix += kChars[b % (sizeof kChars - 1)];
    return suffix;
}

// Creates a new temporary file for `file` and takes its lock. A cleaner may have found the file
// in the moment between its creation and the lock and removed it as stale; then the writer
// starts again under a new name.
int CreateLockedTemporary(const std::filesystem::path& file, mode_t mode,
                          std::filesystem::path& name, std::string& error) {
    const std::filesystem::path folder = file.parent_path();
    const std::string prefix = TemporaryFilePrefix(file);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = folder / (prefix + RandomSuffix());
        const int fd =
            ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = Describe("cannot create temporary file in", folder, errno);
            return -1;
        }
        // A file system without flock still gets its file; only the cleaner is less sure.
        Flock(fd, LOCK_EX);
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        return fd;
    }
    error = "cannot find a free temporary name in " + folder.string();
    return -1;
}

}  // namespace

bool MakeFolders(const std::filesystem::path& folder, std::string& error) {
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0) {
            // The umask may have taken bits away; the folder is ours, so set exactly 0700.
            ::chmod(partial.c_str(), 0700);
            continue;
        }
        if (errno == EEXIST) {
            struct stat st {};
            if (::stat(partial.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                continue;
            errno = ENOTDIR;
        }
        error = Describe("cannot create folder", partial, errno);
        return false;
    }
    return true;
}

void SetFlushToDisk(bool flush) {
    flushToDisk = flush;
}

bool FlushToDisk() {
    return flushToDisk;
}

std::string TemporaryFilePrefix(const std::filesystem::path& file) {
    return file.filename().string() + ".tmp.";
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view contents,
                           mode_t mode, std::string& error) {
    std::filesystem::path name;
    Fd tmp(CreateLockedTemporary(file, mode, name, error));
    if (tmp.get() < 0)
        return false;
    const auto fail = [&](const char* what, const std::filesystem::path& p) {
        error = Describe(what, p, errno);
        ::unlink(name.c_str());
        return false;
    };
    if (!WriteAll(tmp.get(), contents))
        return fail("cannot write", name);
    // The flush is also where a deferred write error surfaces.
    if (flushToDisk && ::fsync(tmp.get()) != 0)
        return fail("cannot flush", name);
    // The lock is held until the rename is done (the descriptor closes after it), so no cleaner
    // can take the file for a left-over in between.
    if (::rename(name.c_str(), file.c_str()) != 0)
        return fail("cannot rename over", file);

    // The rename is durable only once the folder's entry is on the disk too. The new file is in
    // place whatever happens here (some file systems cannot flush a folder), so this is not a
    // failure of the replacement.
    if (flushToDisk) {
        Fd dir(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0)
            ::fsync(dir.get());
    }
    return true;
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& file) {
    std::error_code ec;
    const std::string prefix = TemporaryFilePrefix(file);
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ec)) {
        const std::filesystem::path& path = entry.path();
        if (!path.filename().string().starts_with(prefix))
            continue;
        Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat held {};
        if (fd.get() < 0 || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode))
            continue;
        if (Flock(fd.get(), LOCK_SH | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                continue;  // a writer is at work on it
            if (std::time(nullptr) - held.st_mtime < kStaleWithoutLocksSeconds)
                continue;
        }
        // The writer may have finished and renamed the file away since it was opened; remove
        // the name only while it is still this file.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            ::unlink(path.c_str());
        }
    }
}

ReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit, std::string& contents,
                         std::string& error) {
    contents.clear();
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    Fd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return ReadResult::kMissing;
        error = Describe("cannot open", file, errno);
        return ReadResult::kFailed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file: " + file.string();
        return ReadResult::kFailed;
    }
    if (static_cast<uint64_t>(st.st_size) > limit)
        return ReadResult::kTooLarge;
    contents.reserve(static_cast<size_t>(st.st_size));
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = Describe("cannot read", file, errno);
            return ReadResult::kFailed;
        }
        if (n == 0)
            return ReadResult::kRead;
        // The file may grow while it is read; the limit holds for what is read.
        if (contents.size() + static_cast<size_t>(n) > limit)
            return ReadResult::kTooLarge;
        contents.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace sys
