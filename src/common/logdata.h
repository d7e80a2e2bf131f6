// The abstract view of one location's channels and records.
#pragma once

#include <string>

#include "common/platform.h"

namespace vantora {

// Largest number of channels a location holds.
constexpr int kMaxChannels = 20;

class CLogData {
 public:
  explicit CLogData(std::string path = std::string()) : path(std::move(path)) {}
  virtual ~CLogData() = default;
  CLogData(const CLogData&) = delete;
  CLogData& operator=(const CLogData&) = delete;

  virtual int LastRecordIndex() const = 0;
  virtual int ChannelCount() const = 0;
  virtual int RecordCount() const = 0;
  virtual void SetChannelName(int channel, const std::string& name) = 0;
  virtual void SetChannelUnit(int channel, int unitCode) = 0;
  virtual void SetChannelParam(int channel, int paramCode) = 0;
  virtual void SetChannelDecimals(int channel, int decimals) = 0;
  virtual void SetChannelWidth(int channel, int width) = 0;
  // The outputs are left unchanged when `channel` is out of range.
  virtual void GetChannelName(int channel, std::string& name) const = 0;
  virtual void GetChannelUnit(int channel, int& unitCode) const = 0;
  virtual void GetChannelParam(int channel, int& paramCode) const = 0;
  virtual void GetChannelWidth(int channel, int& width) const = 0;
  virtual void GetChannelDecimals(int channel, int& decimals) const = 0;
  virtual bool GetTimeText(int record, std::string& text, bool withDate) const = 0;
  virtual bool GetTime(int record, LogTime& time) const = 0;
  virtual bool GetValueText(int record, int channel, std::string& text) const = 0;
  virtual bool GetValue(int record, int channel, double& value) const = 0;
  // `values` must hold at least ChannelCount() doubles.
  virtual bool GetValues(int record, double* values) const = 0;
  virtual void AppendNow(const double* values) = 0;
  virtual void CreateForWrite() = 0;
  virtual void Flush() = 0;
  // The start time of the location's header; false when there is none.
  virtual bool GetStartTime(LogTime& /*time*/) const { return false; }

  // The value text of every display and export: "N/A" below -666660,
  // "OverRange" from -666660 to below -200, else the channel's decimals
  // (fixed, or significant digits from 200 on); right-aligned in seven
  // characters when `padded`. False for a channel out of range.
  bool FormatValue(int channel, double value, std::string& text, bool padded) const;

  // Writes every record with every channel as a comma-separated table.
  // `error` receives the system's error number of a failed write.
  bool ExportCsv(const std::string& file, const std::string& quote, const std::string& separator,
                 const std::string& lineEnd, int* error = nullptr) const;

  std::string path;
};

// Shared by FormatValue and the statistics: the number alone, without the
// "N/A"/"OverRange" replacement.
std::string FormatNumber(int decimals, double value, bool padded);

}  // namespace vantora
