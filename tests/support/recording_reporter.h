// A reporter for tests: records every message and answers questions with a
// preset answer. Installs itself for its lifetime.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/reporter.h"

namespace korvane::test {

class RecordingReporter : public Reporter {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };

  RecordingReporter() : previous_(InstallReporter(this)) { SetLastErrorCode(0); }
  ~RecordingReporter() override { InstallReporter(previous_); }

  void ShowError(const std::string& text) override { errors.push_back(text); }
  Answer Ask(const std::string& caption, const std::string& text, Buttons) override {
    questions.push_back({caption, text});
    if (!answers.empty()) {
      const Answer a = answers.front();
      answers.pop_front();
      return a;
    }
    return defaultAnswer;
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    messages.push_back({caption, text});
  }

  std::vector<std::string> errors;
  std::vector<Message> questions;
  std::vector<Message> messages;
  std::deque<Answer> answers;        // used first, in order
  Answer defaultAnswer = Answer::No;  // then this

 private:
  Reporter* previous_;
};

}  // namespace korvane::test
