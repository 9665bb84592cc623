#pragma once

#include <memory>
#include <string>

// The icons a message can carry.
enum class TMessageIcon { Information, Error, None };

// Where messages go. The default sink writes them to standard error; the GUI installs one
// that shows modal message boxes, tests install one that records them.
class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  virtual void ShowMessage(const std::string& text, const std::string& title,
                           TMessageIcon icon) = 0;
};

// Writes "<title>: <text>" to standard error.
class TStderrSink : public TMessageSink {
 public:
  void ShowMessage(const std::string& text, const std::string& title,
                   TMessageIcon icon) override;
};

// The global message catalogue. Each operation composes its text and hands it to the sink;
// none has a result.
class TErrorReporter {
 public:
  TErrorReporter();

  void WindowNameExists(const std::string& name);
  void ProjectWindowNameExists(const std::string& file, const std::string& name);
  void CannotReadFile(const std::string& file, const std::string& reason);
  void InputError(const std::string& text);
  // The soft assertion: shows the message and returns; the caller goes on.
  void AssertionFailed(const std::string& condition, const std::string& file, int line);

  // Any other message of the program.
  void ShowMessage(const std::string& text, const std::string& title, TMessageIcon icon);

  // Installs a sink and returns the previous one; null restores the default.
  std::unique_ptr<TMessageSink> SetSink(std::unique_ptr<TMessageSink> sink);
  TMessageSink& Sink() { return *m_sink; }

  static std::string CannotReadFileText(const std::string& file, const std::string& reason);

 private:
  std::unique_ptr<TMessageSink> m_sink;
};

extern TErrorReporter ErrorReporter;

// Soft assertion with the caller's source name, e.g. SOFT_ASSERT(cond, "text", "unitfract").
#define VELMORA_SOFT_ASSERT(cond, text, source)               \
  do {                                                        \
    if (!(cond)) ErrorReporter.AssertionFailed(text, source, __LINE__); \
  } while (false)
