#include "vpr/machine/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vpr::machine {

namespace {

std::atomic<WriteLimit> g_limit{nullptr};
std::atomic<unsigned> g_counter{0};

}  // namespace

void SetWriteLimit(WriteLimit limit) { g_limit.store(limit); }

uint64_t WritableBytes(const std::string& hostPath, uint64_t bytes) {
    WriteLimit limit = g_limit.load();
    return limit ? limit(hostPath, bytes) : bytes;
}

AtomicFile::AtomicFile(std::string hostPath) : path_(std::move(hostPath)) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Fail(int error) {
    if (error_ == 0) error_ = error != 0 ? error : EIO;
    Discard();
    return false;
}

void AtomicFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

std::string AtomicFile::ErrorText() const {
    return "cannot write " + path_ + ": " + std::strerror(error_ != 0 ? error_ : EIO);
}

bool AtomicFile::Open() {
    if (error_ != 0 || fd_ >= 0) return Fail(EINVAL);
    if (path_.empty()) return Fail(ENOENT);
    if (path_[0] != '/') {
        // A relative name is taken once, from the folder current now.
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return Fail(errno);
        path_ = std::string(cwd) + (cwd[1] != '\0' ? "/" : "") + path_;
    }
    // A link is followed, so that the file it names is replaced, not the link.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path_.c_str(), resolved) != nullptr) path_ = resolved;
    }
    mode_t mode = 0666;
    replacing_ = ::stat(path_.c_str(), &st) == 0;
    if (replacing_ && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        // A device or a pipe (/dev/null, a terminal) is written as it is;
        // only its writes and close can be checked.
        replacing_ = false;
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        return fd_ >= 0 || Fail(errno);
    }
    if (replacing_) {
        if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
        // A file the user may not write is not replaced behind its back.
        if (::access(path_.c_str(), W_OK) != 0) return Fail(errno);
        mode = st.st_mode & 07777;
    }
    size_t slash = path_.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = folder + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(g_counter++) + ".tmp";
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) break;
        int error = errno;
        temp_.clear();
        if (error != EEXIST) return Fail(error);
    }
    if (fd_ < 0) return Fail(EEXIST);
    if (replacing_ && ::fchmod(fd_, mode) != 0) return Fail(errno);
    return true;
}

bool AtomicFile::Write(std::string_view bytes) {
    if (error_ != 0 || fd_ < 0) return Fail(EBADF);
    size_t allowed = static_cast<size_t>(WritableBytes(path_, bytes.size()));
    size_t done = 0;
    while (done < allowed) {
        ssize_t n = ::write(fd_, bytes.data() + done, allowed - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(errno);
        if (n == 0) return Fail(EIO);
        done += static_cast<size_t>(n);
    }
    return allowed == bytes.size() || Fail(ENOSPC);
}

bool AtomicFile::Commit() {
    if (error_ != 0 || fd_ < 0) return Fail(EBADF);
    // A file that replaces another reaches the disk before the name moves.
    if (replacing_ && ::fsync(fd_) != 0) return Fail(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail(errno);
    if (temp_.empty()) return true;  // a device or pipe, written in place
    if (::rename(temp_.c_str(), path_.c_str()) != 0) return Fail(errno);
    temp_.clear();
    return true;
}

bool WriteFileAtomically(const std::string& hostPath, std::string_view bytes, std::string* error) {
    AtomicFile file(hostPath);
    if (file.Open() && file.Write(bytes) && file.Commit()) return true;
    if (error) *error = file.ErrorText();
    return false;
}

}  // namespace vpr::machine

namespace vpr::machine {

bool CloseStandardOutput(std::string* error) {
    bool ok = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    int cause = ok ? 0 : errno;
    if (std::fclose(stdout) != 0 && ok) {
        ok = false;
        cause = errno;
    }
    if (!ok && error) *error = std::string("cannot write the standard output: ") + std::strerror(cause != 0 ? cause : EIO);
    return ok;
}

}  // namespace vpr::machine
