#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/report/ErrorReporter.h"

// One message as the user would have seen it.
struct TRecordedMessage {
  std::string text;
  std::string title;
  TMessageIcon icon = TMessageIcon::None;
  bool operator==(const TRecordedMessage&) const = default;
};

// Installs a sink on ErrorReporter that records every message, for the lifetime of the
// object; the previous sink comes back afterwards.
class TRecordingSink {
 public:
  TRecordingSink();
  ~TRecordingSink();
  TRecordingSink(const TRecordingSink&) = delete;
  TRecordingSink& operator=(const TRecordingSink&) = delete;

  const std::vector<TRecordedMessage>& Messages() const { return *m_messages; }
  // The texts alone, in order.
  std::vector<std::string> Texts() const;
  void Clear() { m_messages->clear(); }

 private:
  std::shared_ptr<std::vector<TRecordedMessage>> m_messages;
  std::unique_ptr<TMessageSink> m_previous;
};
