// vantora transfer: one download of a Corvane instrument, without the dialog.
#include <cstdio>

#include "cli/cli.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "transfer/transferjob.h"

namespace vantora::cli {

namespace {

// Progress and warnings on standard error.
class StderrObserver : public TransferObserver {
 public:
  void SetPos(int pos) override { std::fprintf(stderr, "progress %i/5\n", pos); }
  void Warning(const std::string& text) override { Fail(text); }
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
    if (!job.Download(&observer)) {
      Fail(job.FailureText());
      exitCode = kFailed;
      return;
    }
    for (const auto& file : job.WrittenFiles()) WriteOut(Cp1252ToUtf8(file) + "\n");
    std::fprintf(stderr, "Transfer complete.\n");
  });
});

}  // namespace

}  // namespace vantora::cli
