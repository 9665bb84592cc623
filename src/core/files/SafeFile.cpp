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

// Writes size bytes at data to fd; false with errno set when the system refuses a part.
bool WriteAll(int fd, const char* data, std::size_t size) {
  const char* p = data;
  std::size_t left = size;
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

bool HasWriteBit(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

mode_t CurrentUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

TReplacingFile::~TReplacingFile() { Abandon(); }

void TReplacingFile::Abandon() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempName.empty()) ::unlink(m_tempName.c_str());
  m_tempName.clear();
}

bool TReplacingFile::Open(const std::string& path, std::string& errorMessage) {
  Abandon();
  m_error = 0;
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
  if (exists && !S_ISREG(st.st_mode)) {
    // A target that is a device or a pipe is written in place; it cannot be replaced.
    m_fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) {
      errorMessage = kCannotOpenForWriting;
      return false;
    }
    return true;
  }
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
  m_fd = ::mkstemp(tempName.data());
  if (m_fd < 0) {
    errorMessage = kCannotOpenForWriting;
    return false;
  }
  m_tempName = std::move(tempName);
  m_target = std::move(target);
  m_mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
  return true;
}

bool TReplacingFile::Write(const void* data, std::size_t size) {
  if (m_fd < 0 || m_error != 0) return false;
  if (!WriteAll(m_fd, static_cast<const char*>(data), size)) {
    m_error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool TReplacingFile::Commit(std::string& errorMessage) {
  if (m_fd < 0) {
    errorMessage = WriteFailure(EBADF);
    return false;
  }
  bool ok = m_error == 0;
  int error = m_error;
  if (m_tempName.empty()) {
    // Written in place.
    const bool closed = ::close(m_fd) == 0;
    if (ok && !closed) error = errno;
    m_fd = -1;
    if (!ok || !closed) {
      errorMessage = WriteFailure(error);
      return false;
    }
    return true;
  }
  if (ok && ::fchmod(m_fd, m_mode) != 0) {
    // Keeping the old permissions is a courtesy; the content is what matters.
  }
  if (ok && ::fsync(m_fd) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(m_fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  m_fd = -1;
  if (ok && ::rename(m_tempName.c_str(), m_target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    Abandon();
    errorMessage = WriteFailure(error);
    return false;
  }
  m_tempName.clear();
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& content,
                        std::string& errorMessage) {
  TReplacingFile file;
  if (!file.Open(path, errorMessage)) return false;
  file.Write(content.data(), content.size());
  return file.Commit(errorMessage);
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
