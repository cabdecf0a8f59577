#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace pelorin {

namespace {

NodeKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return NodeKind::Regular;
    if (S_ISDIR(mode)) return NodeKind::Folder;
    return NodeKind::Other;
}

int Describe(int result, const struct stat& facts, NodeInfo& info) {
    info = NodeInfo{};
    if (result != 0) return errno;
    info.Kind = KindOf(facts.st_mode);
    info.IsLink = S_ISLNK(facts.st_mode);
    info.Device = facts.st_dev;
    info.Inode = facts.st_ino;
    info.Mode = facts.st_mode & 07777;
    return 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

// A report beside such a "file" would land among the devices.
bool LeadsToADescriptor(const std::string& name) {
    std::string path = name;
    for (int hop = 0; hop < 40; ++hop) {
        char* folder = realpath(FolderOf(path).c_str(), nullptr);
        if (folder != nullptr) {
            const bool inProc = std::strncmp(folder, "/proc/", 6) == 0;
            std::free(folder);
            if (inProc) return true;
        }
        char target[4096];
        const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        if (length < 0) return false;
        target[length] = '\0';
        path = target[0] == '/' ? std::string(target) : FolderOf(path) + target;
    }
    return false;
}

namespace {

// ------------------------------------------------ temporary files and signals

// The temporary files of unfinished writes, for the signal handler. A handler
// may only use what is safe in it: fixed slots, lock-free atomics and unlink.
// This is the one piece of state of the whole process, because a signal
// reaches the process, not a run.
constexpr int kSlots = 32;
constexpr std::size_t kNameBytes = 4096;
enum SlotState : int { kFree = 0, kReserved = 1, kCreated = 2 };

struct TemporarySlot {
    std::atomic<int> state{kFree};
    char name[kNameBytes];
};

TemporarySlot g_temporaries[kSlots];

static_assert(std::atomic<int>::is_always_lock_free);

// A slot holding `name`, not yet seen by the handler; -1 when all are taken
// (the write goes on, only without clean-up on a signal).
int ReserveSlot(const std::string& name) {
    if (name.size() >= kNameBytes) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_temporaries[i].state.compare_exchange_strong(expected, kReserved)) {
            std::memcpy(g_temporaries[i].name, name.c_str(), name.size() + 1);
            return i;
        }
    }
    return -1;
}

void SetSlot(int slot, SlotState state) {
    if (slot >= 0) g_temporaries[slot].state.store(state);
}

extern "C" void RemoveTemporariesAndReraise(int signalNumber) {
    const int savedErrno = errno;
    for (TemporarySlot& slot : g_temporaries)
        if (slot.state.load() == kCreated) unlink(slot.name);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    errno = savedErrno;
    // Blocked while the handler runs: delivered, with its default action, as
    // soon as the handler returns.
    raise(signalNumber);
}

// Eight letters or digits, from the kernel's random source when it answers.
std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<unsigned> counter{0};
    unsigned char bytes[8];
    // getentropy rather than getrandom: the C library of the WebAssembly build
    // has only the former.
    if (getentropy(bytes, sizeof bytes) != 0) {
        // 64 bits wide on every target (unsigned long has 32 on some).
        std::uint64_t mix = static_cast<std::uint64_t>(getpid()) * 2654435761U ^
                            static_cast<std::uint64_t>(std::time(nullptr)) ^
                            (static_cast<std::uint64_t>(++counter) * 40503U);
        for (unsigned char& byte : bytes) {
            mix = mix * 6364136223846793005U + 1442695040888963407U;
            byte = static_cast<unsigned char>(mix >> 56);
        }
    }
    std::string suffix;
    for (unsigned char byte : bytes) suffix.push_back(kLetters[byte % (sizeof kLetters - 1)]);
    return suffix;
}

// The temporary name for a target: in its folder, after its own name (cut so
// that the whole stays within the usual 255 bytes of a name).
std::string TemporaryNameFor(const std::string& target) {
    const std::size_t slash = target.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = target.substr(0, start);
    const std::string name = target.substr(start, 200);
    return folder + name + "." + RandomSuffix() + ".part";
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace

int InspectFile(const std::string& path, NodeInfo& info) {
    struct stat facts {};
    return Describe(stat(path.c_str(), &facts), facts, info);
}

int InspectEntry(const std::string& path, NodeInfo& info) {
    struct stat facts {};
    return Describe(lstat(path.c_str(), &facts), facts, info);
}

bool SameFile(const NodeInfo& a, const NodeInfo& b) {
    return a.Kind != NodeKind::Missing && b.Kind != NodeKind::Missing && a.Device == b.Device &&
           a.Inode == b.Inode;
}

// ---------------------------------------------------------------- reading

FileReader::~FileReader() {
    if (fd_ >= 0) close(fd_);
}

int FileReader::Open(const std::string& path) {
    NodeInfo info;
    if (const int error = InspectFile(path, info); error != 0) return error;
    if (info.Kind == NodeKind::Folder) return EISDIR;
    if (info.Kind != NodeKind::Regular || LeadsToADescriptor(path)) return EINVAL;
    // Non-blocking, so that a FIFO put in its place since the look cannot hang
    // the open; the second look refuses it.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat facts {};
    if (fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        close(fd);
        return EINVAL;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
    return 0;
}

long FileReader::Read(char* buffer, std::size_t size, int& error) {
    for (;;) {
        const ssize_t count = read(fd_, buffer, size);
        if (count >= 0) return static_cast<long>(count);
        if (errno == EINTR) continue;
        error = errno;
        return -1;
    }
}

int FileReader::Rewind() { return lseek(fd_, 0, SEEK_SET) < 0 ? errno : 0; }

// ---------------------------------------------------------------- writing

int FileReplacement::Begin(const std::string& target) {
    Abandon();
    target_ = target;
    NodeInfo entry;
    NodeInfo file;
    InspectEntry(target, entry);
    InspectFile(target, file);
    if (entry.Kind == NodeKind::Folder || target.empty() || target.back() == '/') return EISDIR;
    if (file.Kind == NodeKind::Other) {
        // A device or a FIFO (/dev/null, /dev/stdout): written in place, never
        // replaced. Non-blocking so that a FIFO without a reader fails at once.
        const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return errno;
        struct stat facts {};
        if (fstat(fd, &facts) != 0 || S_ISREG(facts.st_mode) || S_ISDIR(facts.st_mode)) {
            close(fd);
            return EINVAL;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        fd_ = fd;
        return 0;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryNameFor(target);
        const int slot = ReserveSlot(name);
        const int fd = open(name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) {
            const int error = errno;
            SetSlot(slot, kFree);
            if (error == EEXIST) continue;
            return error;
        }
        SetSlot(slot, kCreated);
        fd_ = fd;
        slot_ = slot;
        temporary_ = std::move(name);
        if (entry.Kind == NodeKind::Regular && !entry.IsLink) fchmod(fd_, entry.Mode & 0777);
        return 0;
    }
    return EEXIST;
}

int FileReplacement::Write(std::string_view bytes) {
    if (fd_ < 0) return EBADF;
    const int error = WriteAll(fd_, bytes);
    if (error != 0) Abandon();
    return error;
}

int FileReplacement::Commit() {
    if (fd_ < 0) return EBADF;
    const bool inPlace = temporary_.empty();
    int error = 0;
    if (!inPlace && fsync(fd_) != 0) error = errno;
    if (close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error == 0 && !inPlace && rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error != 0) {
        Abandon();
        return error;
    }
    Forget();
    return 0;
}

void FileReplacement::Abandon() noexcept {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    Forget();
}

void FileReplacement::Forget() noexcept {
    SetSlot(slot_, kFree);
    slot_ = -1;
    temporary_.clear();
}

int ReplaceFile(const std::string& target, std::string_view bytes, bool& begun) {
    FileReplacement file;
    begun = false;
    if (const int error = file.Begin(target); error != 0) return error;
    begun = true;
    if (const int error = file.Write(bytes); error != 0) return error;
    return file.Commit();
}

int RemoveEntry(const std::string& path) {
    NodeInfo entry;
    if (InspectEntry(path, entry) != 0) return 0;
    if (entry.Kind == NodeKind::Folder) return EISDIR;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return errno;
    return 0;
}

int MakeTemporaryFolder(const std::string& prefix, std::string& folder) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return errno;
    folder = pattern;
    return 0;
}

int RemoveEmptyFolder(const std::string& path) {
    if (rmdir(path.c_str()) != 0 && errno != ENOENT) return errno;
    return 0;
}

// ---------------------------------------------------------------- the process

void KeepStandardStreamsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is taken, which is this one.
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

void RemoveTemporaryFilesOnSignals() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0) continue;
        if (current.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporariesAndReraise;
        // One clean-up at a time: the other two wait until it has ended.
        sigemptyset(&handler.sa_mask);
        for (const int other : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&handler.sa_mask, other);
        sigaction(signalNumber, &handler, nullptr);
    }
}

}  // namespace pelorin
