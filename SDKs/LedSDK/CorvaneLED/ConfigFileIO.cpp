#include "ConfigFileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace corvled {

namespace {

// Closes the descriptor on every path out of a function.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result, which for a written file can carry a late
    // write error.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string parentFolder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

FileRead readWholeFile(const std::string& path, std::string& out) {
    out.clear();
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return FileRead::Failed;
        }
        if (got == 0) return FileRead::Ok;
        if (out.size() + static_cast<std::size_t>(got) > kMaxConfigBytes) return FileRead::Failed;
        out.append(chunk, static_cast<std::size_t>(got));
    }
}

bool makeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    // What the reader would refuse is never written: the old file, still readable, stays.
    if (bytes.size() > kMaxConfigBytes) return false;
    // One temporary name per process: a leftover from a crashed process with the same
    // id is stale by construction and may be replaced.
    const std::string temporary = path + ".tmp." + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    // A rewrite keeps the old file's mode (a private file stays private); the new file is
    // private until then, so its bytes are never more readable than the old file's.
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                               replacing ? 0600 : 0666));
    if (file.get() < 0) return false;
    const bool written = (!replacing || ::fchmod(file.get(), old.st_mode & 07777) == 0) &&
                         writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!file.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the data is already safe, so this is best effort.
    FileDescriptor folder(::open(parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return true;
}

} // namespace corvled
