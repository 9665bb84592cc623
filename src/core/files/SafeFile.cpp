#include "core/files/SafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/FileNames.h"

namespace {

constexpr const char* kCannotWrite =
    "Operating System could not write the whole file, maybe the disk is full";

std::string WriteFailure(int error) {
  return std::string(kCannotWrite) + " (" + std::strerror(error) + ").";
}

// Writes all of content to fd; false with errno set when the system refuses a part.
bool WriteAll(int fd, const std::string& content) {
  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A target that is a device or a pipe is written in place; it cannot be replaced.
bool WriteInPlace(const std::string& path, const std::string& content,
                  std::string& errorMessage) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }
  const bool written = WriteAll(fd, content);
  const int writeError = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    errorMessage = WriteFailure(written ? errno : writeError);
    return false;
  }
  return true;
}

bool HasWriteBit(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

mode_t CurrentUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& content,
                        std::string& errorMessage) {
  if (path.empty()) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }
  // Write through a symbolic link to the file it names, keeping the link.
  std::string target = path;
  struct stat st {};
  bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
      target = resolved;
      exists = ::stat(target.c_str(), &st) == 0;
    } else {
      exists = false;  // a dangling link: replaced by the new file
    }
  }
  if (exists && S_ISDIR(st.st_mode)) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) return WriteInPlace(target, content, errorMessage);
  // The write bits are checked as well as the access rights, so that a file or folder
  // marked read-only stays untouched even for a user who could override the marks.
  if (exists && (!HasWriteBit(st) || ::access(target.c_str(), W_OK) != 0)) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }

  std::string folder = ".";
  std::string file = target;
  std::string unused;
  if (PathOfPathFile(target, folder, file, unused) && folder.empty()) folder = "/";
  struct stat folderStat {};
  if (file.empty() || ::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
      !HasWriteBit(folderStat) || ::access(folder.c_str(), W_OK) != 0) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }

  std::string tempName = folder + "/." + file + ".XXXXXX";
  const int fd = ::mkstemp(tempName.data());
  if (fd < 0) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }
  const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
  bool ok = WriteAll(fd, content);
  int error = errno;
  if (ok && ::fchmod(fd, mode) != 0) {
    // Keeping the old permissions is a courtesy; the content is what matters.
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(tempName.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(tempName.c_str());
    errorMessage = WriteFailure(error);
    return false;
  }
  return true;
}

TReadResult ReadWholeFile(const std::string& path, std::string& content) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return TReadResult::CannotOpen;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return TReadResult::CannotOpen;
  }
  if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > kMaxReadableFileSize) {
    ::close(fd);
    return TReadResult::TooLarge;
  }
  content.clear();
  if (S_ISREG(st.st_mode)) content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return TReadResult::ReadError;
    }
    if (n == 0) break;
    // A file that grows while it is read, or a device without end, stops at the bound.
    if (content.size() + static_cast<std::size_t>(n) > kMaxReadableFileSize) {
      ::close(fd);
      content.clear();
      return TReadResult::TooLarge;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return TReadResult::Ok;
}
