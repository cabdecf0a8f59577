#pragma once

// The programs' only contact with the file system. Every file they read, write
// or delete goes through here, so that a port to another operating system
// changes this pair of files only. Failures are the system's error numbers
// (errno values); the callers turn them into the run-time texts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelorin {

enum class NodeKind { Missing, Regular, Folder, Other };

// What a name stands for: its kind and the identity of the file (device and
// inode), which tells two names of one file apart from two files.
struct NodeInfo {
    NodeKind Kind = NodeKind::Missing;
    bool IsLink = false;  // the entry itself is a symbolic link (InspectEntry only)
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    unsigned Mode = 0;  // the permission bits
};

// The file a name leads to, links followed. Returns 0 or the error number; a
// name that leads nowhere gives Kind Missing.
int InspectFile(const std::string& path, NodeInfo& info);
// The folder entry itself: a link is described, not followed.
int InspectEntry(const std::string& path, NodeInfo& info);
// Whether both exist and are one and the same file.
bool SameFile(const NodeInfo& a, const NodeInfo& b);

// Whether the name leads, through its folders or its links, to a descriptor of
// a process (/dev/stdin, /dev/fd/N, /proc/self/fd/N): a stream, not a file,
// even when the descriptor is a regular file.
bool LeadsToADescriptor(const std::string& path);

// A regular file open for reading. Anything else (a folder, a device, a FIFO)
// is refused after a look at it, without being opened for reading, so that a
// FIFO cannot hang the program and a device is never read by mistake.
class FileReader {
  public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // 0, or the error number: EISDIR for a folder, EINVAL for a file that is
    // not a regular one.
    int Open(const std::string& path);
    // Reads up to `size` bytes; returns how many (0 at the end), or -1 with the
    // error number in `error`.
    long Read(char* buffer, std::size_t size, int& error);
    // Back to the first byte; 0 or the error number.
    int Rewind();

  private:
    int fd_ = -1;
};

// The one writer of every file the programs write. The bytes go into a new
// temporary file in the target's folder, created exclusively under a name
// nobody else uses and without following a link; it gets the mode a plain
// create would give (0666 less the umask), or the mode of the file it replaces.
// Commit flushes it to the disk, checks every step and renames it over the
// target, so the target is either the old file or the whole new one, and a
// link at the target is replaced, never written through. A target that exists
// and is neither a regular file nor a folder (a device such as /dev/null) is
// written in place. Until it is committed or abandoned, the temporary file is
// known to the signal handler of RemoveTemporaryFilesOnSignals.
class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement() { Abandon(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file for `target`; 0 or the error number.
    int Begin(const std::string& target);
    // 0 or the error number (a short write counts as a full disk).
    int Write(std::string_view bytes);
    // Puts the file in place; 0 or the error number. On failure the target
    // is left as it was and the temporary file is gone.
    int Commit();
    // Removes the temporary file, if there is one.
    void Abandon() noexcept;

    bool Begun() const { return fd_ >= 0; }
    const std::string& TemporaryName() const { return temporary_; }

  private:
    void Forget() noexcept;

    std::string target_;
    std::string temporary_;  // empty when the target is written in place
    int fd_ = -1;
    int slot_ = -1;  // in the registry of temporary files
};

// Writes `bytes` as the whole new content of `target` by a FileReplacement.
// Sets `begun` when the temporary file could be created. 0 or the error number.
int ReplaceFile(const std::string& target, std::string_view bytes, bool& begun);

// Deletes a folder entry: a link is removed itself, never its target, and a
// folder is not removed. 0 (also when there was nothing) or the error number.
int RemoveEntry(const std::string& path);

// Creates a new folder only this user may enter, named `prefix` and six random
// characters, in $TMPDIR or /tmp; its name goes to `folder`. 0 or the error
// number.
int MakeTemporaryFolder(const std::string& prefix, std::string& folder);

// Removes a folder that is empty. 0 (also when there was none) or the error
// number.
int RemoveEmptyFolder(const std::string& path);

// Standard input, output and error that are closed at start-up are opened on
// /dev/null, so that no file the program opens later can take their numbers
// and receive its progress lines or messages.
void KeepStandardStreamsOpen();

// On SIGINT, SIGTERM and SIGHUP the temporary files of unfinished writes are
// removed and the signal is raised again with its default action, so that the
// program ends with the usual status. A signal that is ignored at start-up
// (nohup) stays ignored.
void RemoveTemporaryFilesOnSignals();

}  // namespace pelorin
