#include "core/report/ErrorReporter.h"

#include <cstdio>

TErrorReporter ErrorReporter;

void TStderrSink::ShowMessage(const std::string& text, const std::string& title,
                              TMessageIcon /*icon*/) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
}

TErrorReporter::TErrorReporter() : m_sink(std::make_unique<TStderrSink>()) {}

void TErrorReporter::WindowNameExists(const std::string& name) {
  ShowMessage("A window with name \"" + name + "\" already exists.", "Error",
              TMessageIcon::Information);
}

void TErrorReporter::ProjectWindowNameExists(const std::string& file, const std::string& name) {
  ShowMessage("When opening file \"" + file + "\" from project, a window with name \"" + name +
                  "\" already exists",
              "Error", TMessageIcon::Information);
}

std::string TErrorReporter::CannotReadFileText(const std::string& file,
                                               const std::string& reason) {
  return "Cannot read the file: \"" + file + "\", " + reason;
}

void TErrorReporter::CannotReadFile(const std::string& file, const std::string& reason) {
  ShowMessage(CannotReadFileText(file, reason), "File Error", TMessageIcon::Error);
}

void TErrorReporter::InputError(const std::string& text) {
  ShowMessage(text, "Input Error", TMessageIcon::Information);
}

void TErrorReporter::AssertionFailed(const std::string& condition, const std::string& file,
                                     int line) {
  ShowMessage("In " + file + " line " + std::to_string(line) + ": Condition \"" + condition +
                  "\"failed!",
              "Assertion failed", TMessageIcon::Information);
}

void TErrorReporter::ShowMessage(const std::string& text, const std::string& title,
                                 TMessageIcon icon) {
  m_sink->ShowMessage(text, title, icon);
}

std::unique_ptr<TMessageSink> TErrorReporter::SetSink(std::unique_ptr<TMessageSink> sink) {
  if (!sink) sink = std::make_unique<TStderrSink>();
  m_sink.swap(sink);
  return sink;
}
