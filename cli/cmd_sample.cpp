// vantora make-sample
#include "cli/cli.h"
#include "location/samplesite.h"

namespace vantora::cli {

namespace {

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand("make-sample", "Write a sample site of location files");
  auto dir = std::make_shared<std::string>();
  cmd->add_option("dir", *dir, "Folder of the site (created when missing)")->required();
  cmd->callback([dir, &exitCode] {
    std::string error;
    auto written = WriteSampleSite(ArgPath(*dir), error);
    for (const auto& path : written) WriteOut(path + "\n");
    if (!error.empty()) {
      Fail(error);
      exitCode = kFailed;
    }
  });
});

}  // namespace

}  // namespace vantora::cli
