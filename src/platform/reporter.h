// The one place through which the core tells the user about failures and asks
// questions. A process installs exactly one Reporter: the GUI shows message
// boxes, the command-line tool prints to stderr and answers from its flags,
// tests record what was said.
#pragma once

#include <string>

namespace korvane {

enum class Answer { Ok, Yes, No, Cancel, All };

// Which buttons a question offers.
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };

class Reporter {
 public:
  virtual ~Reporter() = default;
  // An error report: caption "ERROR", error icon, single OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A question with a caption ("ERROR" for ask-question reports, "Korvane"
  // for confirmations). Returns the button pressed.
  virtual Answer Ask(const std::string& caption, const std::string& text, Buttons buttons) = 0;
  // A message with a caption and the error icon: a dialog input refused, a
  // job that cannot start.
  virtual void ShowMessage(const std::string& caption, const std::string& text) {
    ShowError(caption + ": " + text);
  }
  // The same without an icon: a search that found nothing.
  virtual void ShowNotice(const std::string& caption, const std::string& text) { ShowMessage(caption, text); }
};

// Installs the process-wide reporter (not owned). Returns the previous one so
// that tests can restore it.
Reporter* InstallReporter(Reporter* reporter);
Reporter& CurrentReporter();

// The process-wide code of the last reported error; 0 when none since the
// last clear. Long operations clear it before handing a file to a callee and
// test it afterwards.
int LastErrorCode();
void SetLastErrorCode(int code);

// Reporter that swallows everything (the default until one is installed, so
// that the core never crashes for want of a reporter).
class SilentReporter : public Reporter {
 public:
  void ShowError(const std::string&) override {}
  Answer Ask(const std::string&, const std::string&, Buttons) override { return Answer::No; }
  void ShowMessage(const std::string&, const std::string&) override {}
};

}  // namespace korvane
