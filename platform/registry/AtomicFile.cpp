// Whole-file reads and crash-safe replacement (see AtomicFile.h).
#include "platform/registry/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool flushToDisk = true;

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
    // Closes now and reports the result: a deferred write error can surface only here.
    int Release() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

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
                           std::string& error) {
    const std::filesystem::path folder = file.parent_path();
    std::string pattern = (folder / (TemporaryFilePrefix(file) + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    Fd tmp(::mkostemp(name.data(), O_CLOEXEC));  // created with mode 0600
    if (tmp.get() < 0) {
        error = Describe("cannot create temporary file in", folder, errno);
        return false;
    }
    const auto fail = [&](const char* what, const std::filesystem::path& p) {
        error = Describe(what, p, errno);
        ::unlink(name.data());
        return false;
    };
    if (::fchmod(tmp.get(), 0600) != 0)
        return fail("cannot set the mode of", name.data());
    if (!WriteAll(tmp.get(), contents))
        return fail("cannot write", name.data());
    if (flushToDisk && ::fsync(tmp.get()) != 0)
        return fail("cannot flush", name.data());
    if (tmp.Release() != 0)
        return fail("cannot close", name.data());
    if (::rename(name.data(), file.c_str()) != 0)
        return fail("cannot rename over", file);

    // The rename is durable only once the folder's entry is on the disk too. The new file is in
    // place whatever happens here (some file systems cannot flush a folder), so this is not a
    // failure of the replacement.
    if (flushToDisk) {
        Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0)
            ::fsync(dir.get());
    }
    return true;
}

ReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit, std::string& contents,
                         std::string& error) {
    contents.clear();
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
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
        if (contents.size() + static_cast<size_t>(n) > limit)
            return ReadResult::kTooLarge;
        contents.append(buffer, static_cast<size_t>(n));
    }
}
