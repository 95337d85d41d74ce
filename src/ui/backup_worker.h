// Runs the long work of the backup and restore dialogs on a worker thread.
//
// A whole drive is copied in runs of a megabyte; on a slow card reader one
// run can take a second or more, and a run blocks in the kernel. Run on the
// window thread, that would freeze the window and leave Cancel unanswered
// for as long. So the copy runs on its own thread while the dialog's event
// loop keeps going: a timer shows the sector count and text the worker
// left, Cancel raises a flag the worker tests between runs, and every
// message the core reports from the worker is shown by the window thread
// (the worker waits for the answer).
#pragma once

#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/progress.h"

class QLabel;
class QProgressBar;

namespace korvane::ui {

class WorkerRun {
 public:
  WorkerRun(QProgressBar* bar, QLabel* text);
  ~WorkerRun();
  WorkerRun(const WorkerRun&) = delete;
  WorkerRun& operator=(const WorkerRun&) = delete;

  // Runs `work` on a worker thread and returns when it has ended; window
  // events are handled meanwhile.
  void Run(const std::function<void(Progress&)>& work);
  bool Running() const { return running_; }
  // Asks the work to stop before its next unit (the Cancel button).
  void Cancel();

  // The progress shared between the two threads.
  class SharedProgress;

 private:
  void Show();

  QPointer<QProgressBar> bar_;
  QPointer<QLabel> text_;
  std::unique_ptr<SharedProgress> progress_;
  bool running_ = false;
};

}  // namespace korvane::ui
