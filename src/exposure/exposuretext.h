// The texts of exposure results, shared by every output: the table of a
// location (window, Copy, command line, reports), the method text, the JSON
// description and the listing of limit sets. UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exposure/exposure.h"

namespace vantora::exposure {

// A result with at least three significant digits, and at least the
// channel's decimals (`decimals` 200 and above: that many less 200
// significant digits); "≥ " in front of a lower bound.
std::string ResultText(double value, int decimals, bool lowerBound = false);

struct TableRow {
  // A channel's first row carries its columns; further rows of the same
  // channel carry one limit each and leave the channel's columns empty.
  bool channelRow = true;
  int channel = 0;
  Verdict verdict = Verdict::NoLimits;  // the channel's
  bool limitExceeded = false;           // of the row's limit
  std::vector<std::string> cells;
};

struct ExposureTable {
  std::vector<std::string> heading;
  std::vector<TableRow> rows;
};

// The background of a verdict's cells in every output (the window, reports,
// workbooks), under black text: red, amber, green; false for "no limits".
bool VerdictBackground(Verdict verdict, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b);

// Columns: Channel, Unit, Coverage, Sample TWA, 8-h TWA, STEL, Limit,
// Result, Verdict.
ExposureTable BuildTable(const LocationResult& location);

// Columns padded to their widest cell, two spaces apart; lines end in "\n".
std::string AlignedText(const ExposureTable& table);
// Tab-separated, the heading first; lines end in "\n".
std::string TabSeparatedText(const ExposureTable& table);

// The heading lines of a location: name and file, period and records,
// interval, limit set and verdict.
std::vector<std::string> LocationSummaryLines(const LocationResult& location,
                                              const std::string& limitSet);
// The limits that bear on the location's channels with their sources, one
// line each ("CO: TWA 8 h 35 ppm — NIOSH Pocket Guide ...").
std::vector<std::string> SourceLines(const LocationResult& location);

// The worst result of a location for a summary: "CO2: STEL 1.24 × limit",
// "Humidity: 12 readings below low limit", or the reason of insufficient
// data; empty when nothing stands out.
std::string WorstResultText(const LocationResult& location);

// How every number is computed, in plain words (paragraphs separated by a
// blank line).
std::string MethodText();

// A location as the command line prints it: summary lines, the table, the
// sources.
std::string LocationText(const LocationResult& location, const std::string& limitSet);

// {"limitSet", "locations": [...]} for `--json`, ending in a newline.
std::string ExposureJson(const std::vector<LocationResult>& locations, const std::string& limitSet);

// The cells of a set's row as listings show it: parameter, kind, value with
// its unit, source ("no source given" when empty).
std::vector<std::string> LimitRowCells(const LimitRow& row);

// Every set and its rows, for `vantora limits`.
std::string LimitSetsText(const LimitLibrary& library);

}  // namespace vantora::exposure
