// corvane-sim: a Corvane instrument on a pseudo-terminal.
//
//   corvane-sim [options] SCENARIO
//
// Prints the device path it serves on the first line of standard output and
// answers the instrument protocol until it is interrupted.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "common/version.h"
#include "transfer/sim/simulator.h"

namespace {
corvanesim::Simulator* g_sim = nullptr;
void OnSignal(int) {
  if (g_sim) g_sim->Stop();
}
}  // namespace

int main(int argc, char** argv) {
  // A write past the file-size limit fails instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{"corvane-sim: a Corvane instrument on a pseudo-terminal"};
  std::string scenarioPath, link;
  corvanesim::Faults faults;
  std::string firmware;
  std::vector<int> corrupt, badCode, shortReply, unimplemented, corruptCode, mute;
  app.add_option("scenario", scenarioPath, "Scenario file (sites, locations, logs)")->required();
  app.add_option("--link", link, "Also make this symbolic link to the device");
  app.add_option("--baud", faults.onlyBaud, "Answer only at this baud rate");
  app.add_option("--corrupt", corrupt, "Corrupt the checksum of reply N (counted from 1)");
  app.add_option("--bad-code", badCode, "Send reply N with its code lacking the 0x80 bit");
  app.add_option("--short", shortReply, "Cut reply N to half its length");
  app.add_option("--unimplemented", unimplemented,
                 "Answer command CODE (e.g. 0x19) as not implemented");
  app.add_option("--corrupt-code", corruptCode,
                 "Corrupt the checksum of every reply to command CODE (e.g. 0x43)");
  app.add_option("--mute-code", mute, "Never answer command CODE");
  app.add_option("--silent-after", faults.silentAfter, "Stop answering after N replies (0: mute)");
  app.add_option("--disconnect-at", faults.disconnectAt,
                 "Hang up when the log area is read at or beyond this address");
  app.add_option("--reply-delay", faults.replyDelayMs, "Wait MS milliseconds before every answer");
  app.add_option("--firmware", firmware, "Firmware version the instrument reports, e.g. 1.9");
  app.set_version_flag("--version", vantora::VersionLine("corvane-sim"),
                       "Print the program's version and exit");
  app.add_flag("--wire-timing", faults.wireTiming,
               "Take as long as the serial line would at its baud rate");
  app.add_option("--char-bits", faults.charBits,
                 "Bits a character takes on the line with --wire-timing (default 11: 8E1)");
  CLI11_PARSE(app, argc, argv);
  faults.corruptReplies.insert(corrupt.begin(), corrupt.end());
  faults.badCodeReplies.insert(badCode.begin(), badCode.end());
  faults.shortReplies.insert(shortReply.begin(), shortReply.end());
  faults.unimplemented.insert(unimplemented.begin(), unimplemented.end());
  faults.corruptCodes.insert(corruptCode.begin(), corruptCode.end());
  faults.muteCodes.insert(mute.begin(), mute.end());

  std::ifstream in(scenarioPath, std::ios::binary);
  if (!in) {
    std::cerr << "corvane-sim: cannot read " << scenarioPath << "\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  corvanesim::Scenario scenario;
  std::string error;
  if (!scenario.Parse(text.str(), error)) {
    std::cerr << "corvane-sim: " << scenarioPath << ": " << error << "\n";
    return 1;
  }
  if (!firmware.empty() && !scenario.Parse("version " + firmware, error)) {
    std::cerr << "corvane-sim: bad --firmware\n";
    return 1;
  }
  corvanesim::Simulator sim(scenario, faults);
  if (!sim.Open(error)) {
    std::cerr << "corvane-sim: " << error << "\n";
    return 1;
  }
  if (!link.empty()) {
    ::unlink(link.c_str());
    if (::symlink(sim.DevicePath().c_str(), link.c_str()) != 0)
      std::cerr << "corvane-sim: cannot make the link " << link << "\n";
  }
  g_sim = &sim;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::cout << sim.DevicePath() << std::endl;
  const auto& mem = sim.Image();
  std::cerr << "corvane-sim: log area " << mem.logSize << " bytes, channel area "
            << mem.channelAreaSize << " bytes, reserved " << mem.reservedSize << " bytes\n";
  sim.Serve();
  if (!link.empty()) ::unlink(link.c_str());
  return 0;
}
