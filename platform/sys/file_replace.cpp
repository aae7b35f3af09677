#include "platform/sys/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace sys {

namespace {

ReplaceFault replace_fault = nullptr;

int InjectedFault(ReplaceStep step) {
  return replace_fault != nullptr ? replace_fault(step) : 0;
}

// Every byte from the file's current offset; 0 or the error number.
int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  if (const int fault = InjectedFault(ReplaceStep::kWrite)) return fault;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return errno;
    } else if (n == 0) {
      return EIO;
    }
  }
  return 0;
}

// A file that cannot be synced at all (a device) has nothing to lose by it.
int Sync(int fd) {
  if (const int fault = InjectedFault(ReplaceStep::kSync)) return fault;
  return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

// Closes fd; the first error of the write stands, else the close's own.
int Close(int fd, int error) {
  if (::close(fd) != 0 && error == 0) return errno;
  return error;
}

int WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = WriteAll(fd, bytes);
  struct stat info {};
  if (error == 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      info.st_size > static_cast<off_t>(bytes.size()) &&
      ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
    error = errno;
  }
  if (error == 0) error = Sync(fd);
  return Close(fd, error);
}

// A name left by a replacement that never finished is taken over.
int CreateTemporary(const std::string& path, mode_t mode, int& fd) {
  if (const int fault = InjectedFault(ReplaceStep::kCreateTemporary)) return fault;
  fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST && ::unlink(path.c_str()) == 0) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  return fd < 0 ? errno : 0;
}

int GiveOwner(int fd, const struct stat& old) {
  if (const int fault = InjectedFault(ReplaceStep::kGiveOwner)) return fault;
  struct stat made {};
  if (::fstat(fd, &made) != 0) return errno;
  if (made.st_uid == old.st_uid && made.st_gid == old.st_gid) return 0;
  return ::fchown(fd, old.st_uid, old.st_gid) == 0 ? 0 : errno;
}

std::string ResolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

int SyncDirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : path.substr(0, slash);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A directory that may be written but not read cannot be synced; the rename stands.
  if (fd < 0) return 0;
  return Close(fd, Sync(fd));
}

}  // namespace

void SetReplaceFault(ReplaceFault fault) {
  replace_fault = fault;
}

int ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes,
                        mode_t new_file_mode) {
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return errno;
  if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(path, bytes);
  const std::string target = exists ? ResolvedPath(path) : path;
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;

  const std::string temporary = target + ".new";
  int fd = -1;
  int error = CreateTemporary(temporary, new_file_mode, fd);
  if (error != 0) {
    const bool directory_locked = error == EACCES || error == EPERM;
    return exists && directory_locked ? WriteInPlace(target, bytes) : error;
  }
  if (exists && GiveOwner(fd, old) != 0) {
    // Replaced, the file would change hands: it is written where it is, keeping its owner.
    ::close(fd);
    ::unlink(temporary.c_str());
    return WriteInPlace(target, bytes);
  }
  if (exists && ::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  if (error == 0) error = WriteAll(fd, bytes);
  if (error == 0) error = Sync(fd);
  error = Close(fd, error);
  if (error == 0) error = InjectedFault(ReplaceStep::kRename);
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  return SyncDirectoryOf(target);
}

}  // namespace sys
