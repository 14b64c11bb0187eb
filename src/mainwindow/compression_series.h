// The compression series of the "Pressure" window: a list of patterns, the
// working phase's cell to start from, a pressure scale, and a run on a worker
// thread over its own copy of the input that fills a table of cell, volume
// and pressure against the file as the patterns are done. The table exports
// as CSV, plots as V or P against the file's place in the list, and a row's
// cell can be applied to the working phase through the one edit path.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fitting/series_refinement.h"

namespace quorlin {

class MainModel;

enum class SeriesQuantity { Volume, Pressure };

class CompressionSeriesModel {
 public:
  explicit CompressionSeriesModel(MainModel& model);
  ~CompressionSeriesModel();  // cancels and waits for a running series
  CompressionSeriesModel(const CompressionSeriesModel&) = delete;
  CompressionSeriesModel& operator=(const CompressionSeriesModel&) = delete;

  // --- the list of patterns, in the order they are refined ---------------
  const std::vector<std::string>& Files() const { return files_; }
  void AddFiles(const std::vector<std::string>& paths);
  void RemoveFile(int index);
  // Moves the file one place up (-1) or down (+1); false at the ends.
  bool MoveFile(int index, int step);

  // --- the run's choices ----------------------------------------------------
  // "" for no pressure, else a scale's name. Until chosen it follows the
  // marked standard's scale, or none when no phase is marked.
  std::string ScaleName() const;
  bool SetScaleName(const std::string& name);
  bool Follow() const { return follow_; }
  void SetFollow(bool on) { follow_ = on; }
  bool RefineZero() const { return refineZero_; }
  void SetRefineZero(bool on) { refineZero_ = on; }
  // "Start (working phase): a b c alpha beta gamma": the cell a run starts from.
  std::string StartText() const;

  // --- the run ----------------------------------------------------------------
  // Starts over a copy of the list, the working phase and its source; false
  // with Message() saying why when it cannot start.
  bool Start();
  bool Running() const { return worker_ != nullptr; }
  // The share of the patterns done, 0..1.
  double Progress() const;
  void Cancel();
  // On the interface thread: takes the rows done since the last call; true
  // when anything changed (rows came, or the run ended).
  bool Poll();
  // Waits for a running series to end and takes its rows (tests, closing).
  void Wait();

  // --- the table ---------------------------------------------------------------
  const std::vector<SeriesRow>& Rows() const { return rows_; }
  // File (its name), a, b, c, alpha, beta, gamma, V, P with su, and the
  // note: the reason a pattern failed, or that P is outside the scale's range.
  static constexpr int kTableColumns = 10;
  static const std::array<const char*, kTableColumns>& TableHeader();
  std::array<std::string, kTableColumns> TableRow(int row) const;
  // Every refined row's place in the list (from 1) and its V or P.
  std::vector<std::pair<int, double>> PlotPoints(SeriesQuantity quantity) const;
  // The table with every column the command line prints and a note, one
  // line per pattern (a failed one with its file and note only).
  std::string CsvText() const;
  // "Export CSV...": the save dialog, then an atomic write; a failure is
  // shown and the old file is kept.
  bool ExportCsv();
  bool ExportCsvFile(const std::string& path);
  // The row's cell becomes the working cell (one undo step); the marked
  // working standard's pressure then carries the su of the row's volume.
  bool Apply(int row);

  const std::string& Message() const { return message_; }

 private:
  struct Job;
  void Finish();

  MainModel& model_;
  std::vector<std::string> files_;
  std::string scale_;
  bool scaleChosen_ = false;
  bool follow_ = true;
  bool refineZero_ = false;
  std::vector<SeriesRow> rows_;
  std::shared_ptr<Job> job_;
  std::unique_ptr<std::thread> worker_;
  std::string message_;
};

}  // namespace quorlin
