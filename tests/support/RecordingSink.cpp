#include "tests/support/RecordingSink.h"

namespace {

class TSharedRecorder : public TMessageSink {
 public:
  explicit TSharedRecorder(std::shared_ptr<std::vector<TRecordedMessage>> messages)
      : m_messages(std::move(messages)) {}
  void ShowMessage(const std::string& text, const std::string& title,
                   TMessageIcon icon) override {
    m_messages->push_back({text, title, icon});
  }

 private:
  std::shared_ptr<std::vector<TRecordedMessage>> m_messages;
};

}  // namespace

TRecordingSink::TRecordingSink()
    : m_messages(std::make_shared<std::vector<TRecordedMessage>>()),
      m_previous(ErrorReporter.SetSink(std::make_unique<TSharedRecorder>(m_messages))) {}

TRecordingSink::~TRecordingSink() { ErrorReporter.SetSink(std::move(m_previous)); }

std::vector<std::string> TRecordingSink::Texts() const {
  std::vector<std::string> texts;
  for (const TRecordedMessage& m : *m_messages) texts.push_back(m.text);
  return texts;
}
