// Named events shared by the processes of a machine.
//
// Each name is a file in <kernel folder>/events holding a small shared
// segment: a robust process-shared mutex, the event's state, and a generation
// word that rises with every change and on which processes sleep with a futex.
// Every process that holds the event keeps a shared flock on the file, so
// "some process holds it" is the question whether an exclusive flock would be
// refused, which stays right even after a holder crashed. Creating, opening
// and dropping a name happen under an exclusive flock on the folder's .lock.
//
// The segment is live memory of one build, never a stored format; its header
// (magic and size) makes a mismatched layout an error, not a corruption.
#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <map>
#include <thread>

#include "event.h"
#include "machine_link.h"
#include "vpr/win/error.h"

namespace vpr::win {
namespace {

constexpr uint32_t kSegmentMagic = 0x56455650;  // "PVEV"

struct SharedEventSegment {
    uint32_t magic;
    uint32_t size;
    uint32_t generation;  // futex word
    uint32_t reserved;
    pthread_mutex_t mutex;
    EventState state;
};

long Futex(uint32_t* word, int op, uint32_t value) {
    return ::syscall(SYS_futex, word, op, value, nullptr, nullptr, 0);
}

// Holds the exclusive flock of a folder's .lock file.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open((folder + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// A file name for an event name: letters, digits, "-_ ." stay, every other
// byte becomes %XX; overlong names keep a prefix and a hash of the whole.
std::string FileNameFor(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == ' ' || (c == '.' && !out.empty());
        if (plain) {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    if (out.size() > 200) {
        uint64_t hash = 1469598103934665603ull;
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char tail[24];
        std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(hash));
        out.resize(180);
        out += tail;
    }
    return out;
}

class NamedEvent : public Event {
public:
    NamedEvent(std::string name, std::string folder, std::string path, int fd,
               SharedEventSegment* segment)
        : name_(std::move(name)), folder_(std::move(folder)), path_(std::move(path)), fd_(fd),
          segment_(segment) {
        // The generation is read here, not on the watcher thread: a change
        // another process makes before that thread first runs must still
        // wake the waiters that looked at the state before it.
        uint32_t seen = std::atomic_ref(segment_->generation).load();
        watcher_ = std::thread([this, seen] { Watch(seen); });
    }

    ~NamedEvent() override {
        stop_ = true;
        Bump();
        watcher_.join();
        FolderLock lock(folder_);
        ::munmap(segment_, sizeof(SharedEventSegment));
        // The last holder on the machine removes the name.
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) ::unlink(path_.c_str());
        ::close(fd_);
    }

    uint64_t BeginWait() override { return segment_->state.Ticket(); }
    bool IsSignaled(uint64_t ticket) override { return segment_->state.IsSignaled(ticket); }
    void Acquire(uint64_t) override { segment_->state.Acquire(); }
    void LockState() override {
        if (pthread_mutex_lock(&segment_->mutex) == EOWNERDEAD) {
            // A holder died inside; the state is a few plain words, still whole.
            pthread_mutex_consistent(&segment_->mutex);
        }
    }
    void UnlockState() override { pthread_mutex_unlock(&segment_->mutex); }
    const std::string* SharedKey() const override { return &name_; }

    void Set() override { Change(&EventState::Set); }
    void Reset() override { Change(&EventState::Reset); }
    void Pulse() override { Change(&EventState::Pulse); }

private:
    void Change(void (EventState::*change)()) {
        LockState();
        (segment_->state.*change)();
        Bump();
        UnlockState();
        WaitCore::Instance().NotifyAll();
    }

    // Tells every process's watcher that the state changed.
    void Bump() {
        std::atomic_ref(segment_->generation).fetch_add(1);
        Futex(&segment_->generation, FUTEX_WAKE, INT_MAX);
    }

    // Wakes this process's waiters whenever another process changes the event.
    void Watch(uint32_t seen) {
        std::atomic_ref generation(segment_->generation);
        while (!stop_) {
            Futex(&segment_->generation, FUTEX_WAIT, seen);
            uint32_t now = generation.load();
            if (now != seen) {
                seen = now;
                WaitCore::Instance().NotifyAll();
            }
        }
    }

    const std::string name_;
    const std::string folder_;
    const std::string path_;
    const int fd_;
    SharedEventSegment* const segment_;
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

SharedEventSegment* MapSegment(int fd) {
    void* memory = ::mmap(nullptr, sizeof(SharedEventSegment), PROT_READ | PROT_WRITE, MAP_SHARED,
                          fd, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<SharedEventSegment*>(memory);
}

// Makes a fresh segment in the file (the caller holds it exclusively).
SharedEventSegment* InitSegment(int fd, bool manualReset, bool initialState) {
    if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, sizeof(SharedEventSegment)) != 0) return nullptr;
    SharedEventSegment* segment = MapSegment(fd);
    if (!segment) return nullptr;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&segment->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    segment->state = EventState{};
    segment->state.manualReset = manualReset;
    segment->state.signaled = initialState;
    segment->size = sizeof(SharedEventSegment);
    segment->magic = kSegmentMagic;
    return segment;
}

// Maps the segment another process made; null when its layout is not ours.
SharedEventSegment* JoinSegment(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size != static_cast<off_t>(sizeof(SharedEventSegment))) {
        return nullptr;
    }
    SharedEventSegment* segment = MapSegment(fd);
    if (segment && (segment->magic != kSegmentMagic || segment->size != sizeof(SharedEventSegment))) {
        ::munmap(segment, sizeof(SharedEventSegment));
        return nullptr;
    }
    return segment;
}

std::mutex g_eventsMutex;
std::map<std::string, std::weak_ptr<NamedEvent>>* g_events = new std::map<std::string, std::weak_ptr<NamedEvent>>;

}  // namespace

std::shared_ptr<Event> OpenNamedEvent(const std::string& name, bool create, bool manualReset,
                                      bool initialState, bool* existed) {
    if (name.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    std::lock_guard registryLock(g_eventsMutex);
    if (auto event = (*g_events)[name].lock()) {
        *existed = true;
        return event;
    }

    std::string kernel = KernelFolder();
    std::string folder = kernel + "/events";
    if (kernel.empty() || !MakeFolders(folder, 0777)) {
        SetLastErrorFromErrno(errno);
        return nullptr;
    }
    FolderLock folderLock(folder);
    if (!folderLock.ok()) {
        SetLastErrorFromErrno(errno);
        return nullptr;
    }
    std::string path = folder + "/" + FileNameFor(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    if (fd < 0) {
        SetLastErrorFromErrno(errno);  // ENOENT: no process holds it
        return nullptr;
    }
    bool heldElsewhere = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    SharedEventSegment* segment = nullptr;
    if (!heldElsewhere && !create) {
        // Left behind by holders that died: the event no longer exists.
        ::unlink(path.c_str());
        ::close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    segment = heldElsewhere ? JoinSegment(fd) : InitSegment(fd, manualReset, initialState);
    if (!segment || ::flock(fd, LOCK_SH) != 0) {
        if (segment) ::munmap(segment, sizeof(SharedEventSegment));
        ::close(fd);
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    *existed = heldElsewhere;
    auto event = std::make_shared<NamedEvent>(name, folder, path, fd, segment);
    (*g_events)[name] = event;
    return event;
}

}  // namespace vpr::win
