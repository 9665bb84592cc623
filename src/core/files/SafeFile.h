#pragma once

#include <cstddef>
#include <string>

// The message of a file that cannot be opened for writing.
inline constexpr const char* kCannotOpenForWriting =
    "Operating System cannot open file for writing, maybe the file is readonly.";

// Writes content to path so that a failure never destroys the previous file: the bytes go
// to a new file beside the target, which replaces the target only once it is completely
// written and flushed. A read-only target or folder is refused as the plain open would
// refuse it. On failure returns false with a message and leaves the target as it was.
bool WriteFileReplacing(const std::string& path, const std::string& content,
                        std::string& errorMessage);

// The same for content written piece by piece: Open checks the target as WriteFileReplacing
// does and makes the new file beside it, Write appends (a failure is kept and told by Commit),
// Commit flushes it and puts it in place of the target. Until Commit succeeds the target is
// as it was; a file abandoned (destroyed or opened again before Commit) leaves nothing
// behind. A device or a pipe is written in place.
class TReplacingFile {
 public:
  TReplacingFile() = default;
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;
  ~TReplacingFile();

  bool Open(const std::string& path, std::string& errorMessage);
  bool Write(const void* data, std::size_t size);
  // Whether the file is open and every write so far succeeded.
  bool Good() const { return m_fd >= 0 && m_error == 0; }
  bool Commit(std::string& errorMessage);
  void Abandon();

 private:
  int m_fd = -1;
  int m_error = 0;
  unsigned m_mode = 0;
  std::string m_tempName;  // empty when the target is written in place
  std::string m_target;
};

// Files larger than this are refused before they are read into memory: no fractal,
// palette or project file comes anywhere near it.
inline constexpr std::size_t kMaxReadableFileSize = 64u * 1024u * 1024u;

enum class TReadResult { Ok, CannotOpen, TooLarge, ReadError };

// Reads a whole file into content, refusing files above kMaxReadableFileSize.
TReadResult ReadWholeFile(const std::string& path, std::string& content);
