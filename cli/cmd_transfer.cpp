// vantora transfer: one download of a Corvane instrument, without the dialog.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "cli/cli.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "transfer/transferjob.h"

namespace vantora::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Ctrl+C cancels the download for the life of the object.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }

 private:
  void (*previous_)(int) = SIG_DFL;
};

// Progress steps, the memory status (at most five lines a second) and
// warnings on standard error.
class StderrObserver : public TransferObserver {
 public:
  void SetPos(int pos) override {
    int step = pos / 100;
    if (step > step_) std::fprintf(stderr, "progress %i/5\n", step);
    step_ = std::max(step_, step);
  }
  void Status(const std::string& text) override {
    auto now = std::chrono::steady_clock::now();
    if (printed_ && now - last_ < std::chrono::milliseconds(200)) return;
    printed_ = true;
    last_ = now;
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  void Warning(const std::string& text) override { Fail(text); }
  bool Cancelled() override { return interrupted != 0; }

 private:
  int step_ = -1;
  bool printed_ = false;
  std::chrono::steady_clock::time_point last_;
};

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand("transfer", "Download a Corvane instrument into location files");
  auto device = std::make_shared<std::string>();
  auto port = std::make_shared<int>(0);
  auto dest = std::make_shared<std::string>();
  auto* dev = cmd->add_option("--device", *device, "Serial device of the instrument (tried once)");
  auto* prt = cmd->add_option("--port", *port, "Start the port search at port N (1-9)")
                  ->check(CLI::Range(1, 9));
  dev->excludes(prt);
  prt->excludes(dev);
  cmd->add_option("--dest", *dest, "Site root folder for the location files")->required();
  cmd->callback([device, port, dest, dev, prt, &exitCode] {
    if (dev->count() == 0 && prt->count() == 0) {
      Fail("transfer needs --device PATH or --port N");
      exitCode = kUsage;
      return;
    }
    CTransferJob job(WithTrailingSeparator(ArgPath(*dest)));
    if (dev->count()) job.SetFixedDevice(ArgPath(*device));
    if (prt->count()) job.SetStartPort(*port);
    StderrObserver observer;
    InterruptGuard interrupt;
    bool ok = job.Download(&observer);
    if (job.Cancelled()) {
      // A cancelled run is not a success.
      Fail(CTransferJob::kCancelledText);
      exitCode = kFailed;
      return;
    }
    // The files that were written are listed also when others could not be.
    for (const auto& file : job.WrittenFiles()) WriteOut(Cp1252ToUtf8(file) + "\n");
    if (!ok) {
      Fail(job.FailureText());
      exitCode = kFailed;
      return;
    }
    std::fprintf(stderr, "Transfer complete.\n");
  });
});

}  // namespace

}  // namespace vantora::cli
