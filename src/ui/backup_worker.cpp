#include "ui/backup_worker.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <mutex>
#include <thread>

#include "platform/reporter.h"

namespace korvane::ui {

// Written by the worker, read by the window thread's timer.
class WorkerRun::SharedProgress : public Progress {
 public:
  void Begin(uint64_t total, const std::string& text) override {
    total_ = total;
    done_ = 0;
    if (!text.empty()) SetText(text);
  }
  bool Step(uint64_t done) override {
    done_ = done;
    return !cancelled_;
  }
  void SetText(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = text;
  }
  bool Cancelled() const override { return cancelled_; }

  void Cancel() { cancelled_ = true; }
  uint64_t Total() const { return total_; }
  uint64_t Done() const { return done_; }
  std::string Text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  std::atomic<uint64_t> total_{0};
  std::atomic<uint64_t> done_{0};
  std::atomic<bool> cancelled_{false};
  mutable std::mutex mutex_;
  std::string text_;
};

namespace {

// Hands what the core reports on the worker to the reporter of the window
// thread, and waits for the answer there; on the window thread itself it
// passes straight through.
class WindowThreadReporter : public Reporter {
 public:
  explicit WindowThreadReporter(Reporter& inner) : inner_(inner) {}
  void ShowError(const std::string& text) override {
    OnWindowThread([&] { inner_.ShowError(text); });
  }
  Answer Ask(const std::string& caption, const std::string& text, Buttons buttons) override {
    Answer a = Answer::Cancel;
    OnWindowThread([&] { a = inner_.Ask(caption, text, buttons); });
    return a;
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    OnWindowThread([&] { inner_.ShowMessage(caption, text); });
  }
  void ShowNotice(const std::string& caption, const std::string& text) override {
    OnWindowThread([&] { inner_.ShowNotice(caption, text); });
  }

 private:
  template <typename F>
  void OnWindowThread(F f) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
      f();
      return;
    }
    QMetaObject::invokeMethod(app, [&f] { f(); }, Qt::BlockingQueuedConnection);
  }

  Reporter& inner_;
};

// Progress bars count in ints; large totals are scaled down to this range.
constexpr uint64_t kBarMax = 1u << 30;
int BarValue(uint64_t done, uint64_t total) {
  if (total <= kBarMax) return static_cast<int>(done);
  return static_cast<int>(done / (total / kBarMax + 1));
}

}  // namespace

WorkerRun::WorkerRun(QProgressBar* bar, QLabel* text) : bar_(bar), text_(text) {}

WorkerRun::~WorkerRun() = default;

void WorkerRun::Cancel() {
  if (progress_) progress_->Cancel();
}

void WorkerRun::Show() {
  if (!progress_) return;
  const uint64_t total = progress_->Total();
  if (bar_) {
    bar_->setRange(0, std::max(1, BarValue(total, total)));
    bar_->setValue(std::min(bar_->maximum(), BarValue(progress_->Done(), total)));
  }
  if (text_) {
    const QString text = QString::fromStdString(progress_->Text());
    if (text_->text() != text) text_->setText(text);
  }
}

void WorkerRun::Run(const std::function<void(Progress&)>& work) {
  if (running_ || !work) return;
  running_ = true;
  progress_ = std::make_unique<SharedProgress>();
  WindowThreadReporter reporter(CurrentReporter());
  Reporter* previous = InstallReporter(&reporter);

  QEventLoop loop;
  std::atomic<bool> finished{false};
  SharedProgress& progress = *progress_;
  std::thread worker([&] {
    work(progress);
    finished = true;
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  QTimer timer;
  timer.setInterval(50);
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    Show();
    if (finished) loop.quit();
  });
  timer.start();
  if (!finished) loop.exec();
  worker.join();
  Show();

  InstallReporter(previous);
  running_ = false;
}

}  // namespace korvane::ui
