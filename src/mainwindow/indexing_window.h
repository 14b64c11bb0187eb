// The model of the "Powder Indexing" window: the peak list found on the
// loaded pattern (each peak can be left out, added by a click or removed),
// the search options, the search itself on a worker thread over its own copy
// of the input, the solutions with the extinction ranking of the selected
// one, and Apply, which writes the cell, the crystal system and the chosen
// extinction entry through the one edit path as one undo step.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "indexing/indexing.h"
#include "indexing/peak_search.h"

namespace quorlin {

class MainModel;

struct IndexingPeak {
  double position = 0;  // on the plot's axis: degrees 2-theta, or a channel of a spectrum
  double su = 0;        // of the position, from the profile fit; 0 for a click not fitted
  double spacing = 0;   // d in Angstrom, through the wavelength or the energy calibration
  double height = 0;
  double fwhm = 0;  // plot units; 0 when not fitted
  bool used = true;
  bool added = false;  // placed by the user, not found by the search
  bool known = false;  // on a line of a stored or the working phase
  bool heldOut = false;  // unticked because it is known
};

// Sensitivity is the peak search's threshold, in units of the local noise;
// the others are the search options of the indexing.
enum class IndexingOption { MaxVolume, Impurities, ZeroRange, Tolerance, Sensitivity };

class IndexingWindowModel {
 public:
  explicit IndexingWindowModel(MainModel& model);
  ~IndexingWindowModel();  // cancels and waits for a running search
  IndexingWindowModel(const IndexingWindowModel&) = delete;
  IndexingWindowModel& operator=(const IndexingWindowModel&) = delete;

  // Runs the peak search on the loaded pattern; the solutions are dropped.
  // False with Message() saying why when there is nothing to search.
  bool FindPeaks();
  const std::vector<IndexingPeak>& Peaks() const { return peaks_; }
  // The pattern, its kind, wavelength or energy calibration changed since
  // the peaks were found: they, and the solutions, no longer describe it.
  bool PatternChanged() const;
  void SetPeakUsed(int row, bool used);
  // A peak where the user clicked (plot units), fitted to the pattern when
  // a peak is there; false outside the pattern. Returns its row in `row`.
  bool AddPeak(double position, int* row = nullptr);
  void RemovePeak(int row);
  // Leaves out the peaks that sit on a line of a stored phase or of the
  // working phase (an internal standard, a known impurity).
  bool LeaveOutKnownLines() const { return leaveOutKnown_; }
  void SetLeaveOutKnownLines(bool on);
  // The working or a stored phase changed since the peaks were last marked;
  // UpdateKnownLines marks them again (and leaves out, when that is on).
  bool KnownLinesChanged() const { return KnownSpacings() != knownLines_; }
  void UpdateKnownLines() { MarkKnownLines(); }

  const IndexingOptions& Options() const { return options_; }
  void SetSystem(int code, bool on);
  std::string OptionText(IndexingOption which) const;
  // False (and the option unchanged) for text that is not a number in range.
  bool SetOptionText(IndexingOption which, std::string_view text);

  // Starts the search over a copy of the ticked peaks; false with Message()
  // saying why when it cannot start.
  bool Start();
  bool Running() const { return worker_ != nullptr; }
  double Progress() const;
  void Cancel();
  // On the interface thread: when the search has ended, takes its result
  // into the model and returns true.
  bool Poll();
  // Waits for a running search to end and takes its result (tests, closing).
  void Wait();

  const std::vector<IndexingSolution>& Solutions() const { return solutions_; }
  // Rank, system, lattice, cell, volume, M20, F20, zero, indexed/used.
  static constexpr int kSolutionColumns = 9;
  std::array<std::string, kSolutionColumns> SolutionRow(int row) const;
  int Selected() const { return selected_; }
  // Selects a solution: its lines are drawn over the pattern and its
  // extinction symbols ranked; -1 clears.
  void Select(int row);
  // Every line the selected solution's lattice allows over the pattern, on
  // the plot's axis (2-theta with its zero shift added, or a channel),
  // ascending; empty with nothing selected.
  std::vector<double> PreviewLines() const;
  // Energy-dispersive data: peaks are found on the spectrum and indexed by
  // their spacings, so the solutions have no zero shift.
  bool EnergyData() const;
  const std::vector<ExtinctionScore>& Extinctions() const { return extinctions_; }
  int SelectedExtinction() const { return selectedExtinction_; }
  void SelectExtinction(int row);
  // Entry number, space groups, observed lines made absent, predicted lines
  // not observed.
  static std::array<std::string, 4> ExtinctionRow(const ExtinctionScore& e);

  // The peak ticks and the preview on the main plot, while the window is open.
  void ShowTicks();
  void HideTicks();

  bool CanApply() const;
  bool Apply();
  const std::string& Message() const { return message_; }

 private:
  struct Job;
  struct PatternKey {
    std::string type;
    std::size_t points = 0;
    double first = 0, last = 0, sum = 0;
    std::array<float, 5> conversion{};  // wavelength, detector angle, calibration
    bool operator==(const PatternKey&) const = default;
  };
  PatternKey KeyOfPattern() const;
  double Wavelength() const;
  double SpacingAt(double position) const;
  PeakSearchOptions SearchOptions() const;
  bool Matches(double lineSpacing, const IndexingPeak& peak) const;
  void UpdateTicks();
  void MarkKnownLines();
  std::vector<double> KnownSpacings() const;
  void DropSolutions();

  MainModel& model_;
  std::vector<IndexingPeak> peaks_;
  std::optional<PatternKey> searched_;  // the pattern the peaks were found on
  bool leaveOutKnown_ = false;
  std::vector<double> knownLines_;  // spacings the peaks were last marked against
  double sensitivity_ = PeakSearchOptions{}.sensitivity;
  bool shown_ = false;  // the window is open: ticks and preview are on the plot
  IndexingOptions options_;
  IndexingInput input_;  // of the solutions shown
  std::vector<IndexingSolution> solutions_;
  std::vector<ExtinctionScore> extinctions_;
  int selected_ = -1;
  int selectedExtinction_ = -1;
  std::shared_ptr<Job> job_;
  std::unique_ptr<std::thread> worker_;
  std::string message_;
};

// The rhombohedral cell (a, alpha) of an R lattice given on hexagonal axes.
std::array<double, 6> RhombohedralFromHexagonal(double a, double c);

}  // namespace quorlin
