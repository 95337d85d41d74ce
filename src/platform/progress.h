// Progress and cancellation for long operations (copying many files,
// converting, backing up a drive). The core calls Step between units of work;
// the GUI's implementation lets the window repaint and the Cancel button set
// the flag, the CLI's does nothing.
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

class Progress {
 public:
  virtual ~Progress() = default;
  // Starts a run of `total` units (0 when unknown) with an optional text.
  virtual void Begin(uint64_t total, const std::string& text) { (void)total, (void)text; }
  // Reports that `done` units are finished. Returns false once the user asked
  // to cancel; the operation then stops before its next unit.
  virtual bool Step(uint64_t done) {
    (void)done;
    return !Cancelled();
  }
  virtual void SetText(const std::string& text) { (void)text; }
  virtual bool Cancelled() const { return false; }
  virtual void End() {}
};

// Progress that shows nothing and never cancels.
inline Progress& NoProgress() {
  static Progress none;
  return none;
}

}  // namespace korvane
