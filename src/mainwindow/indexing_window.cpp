#include "mainwindow/indexing_window.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/errors.h"
#include "core/numtext.h"
#include "indexing/peak_search.h"
#include "mainwindow/main_model.h"
#include "reflections/catalogue.h"
#include "reflections/reflection_list.h"

namespace quorlin {

namespace {

constexpr double kDegree = M_PI / 180.0;

double TwoThetaFromD(double lambda, double d) {
  const double s = lambda / (2.0 * d);
  return s > 0 && s < 1 ? 2.0 * std::asin(s) / kDegree : NAN;
}

double DFromTwoTheta(double lambda, double tt) { return lambda / (2.0 * std::sin(tt * kDegree / 2.0)); }

// A tube's K-alpha1 (lines 0 and 3) always comes with its K-alpha2 in the
// measured peaks, even when the plot draws only the first: the search must
// fit the pair, or every K-alpha2 shoulder becomes a line of its own.
std::optional<int> SecondLine(const CData& data) {
  const int primary = data.PrimaryLineIndex();
  if (primary == 0 || primary == 3) return primary + 1;
  return std::nullopt;
}

// The spacings of the reflections the solution's lattice allows down to
// dMin, descending, each once.
std::vector<double> PredictedSpacings(const IndexingSolution& s, double dMin) {
  const auto& c = s.cell;
  const double ca = std::cos(c[3] * kDegree), cb = std::cos(c[4] * kDegree), cg = std::cos(c[5] * kDegree);
  // Direct metric, inverted to the reciprocal one.
  const double g[3][3] = {{c[0] * c[0], c[0] * c[1] * cg, c[0] * c[2] * cb},
                          {c[0] * c[1] * cg, c[1] * c[1], c[1] * c[2] * ca},
                          {c[0] * c[2] * cb, c[1] * c[2] * ca, c[2] * c[2]}};
  const double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) -
                     g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
                     g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
  std::vector<double> lines;
  if (!(det > 0) || !(dMin > 0)) return lines;
  double r[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      r[j][i] = (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det;
    }
  const double qMax = 1.0 / (dMin * dMin);
  std::array<int, 3> limit{};
  for (int i = 0; i < 3; ++i) limit[static_cast<std::size_t>(i)] = static_cast<int>(c[static_cast<std::size_t>(i)] / dMin) + 1;
  for (int h = -limit[0]; h <= limit[0]; ++h)
    for (int k = -limit[1]; k <= limit[1]; ++k)
      for (int l = 0; l <= limit[2]; ++l) {
        const double q = r[0][0] * h * h + r[1][1] * k * k + r[2][2] * l * l + 2 * r[0][1] * h * k +
                         2 * r[0][2] * h * l + 2 * r[1][2] * k * l;
        if (q <= 1e-12 || q > qMax || !CentringAllows(s.lattice, h, k, l)) continue;
        lines.push_back(1.0 / std::sqrt(q));
      }
  std::sort(lines.begin(), lines.end(), std::greater<>());
  // Friedel mates and equivalent reflections fall on one line.
  lines.erase(std::unique(lines.begin(), lines.end(), [](double a, double b) { return a - b < 1e-7 * a; }),
              lines.end());
  return lines;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

}  // namespace

// What the worker thread owns: its copy of the input and options, and what
// it hands back. Only `progress` and `cancel` are shared while it runs.
struct IndexingWindowModel::Job {
  IndexingInput input;
  IndexingOptions options;
  std::atomic<bool> cancel{false};
  std::atomic<double> progress{0};
  std::atomic<bool> done{false};
  std::vector<IndexingSolution> solutions;
  std::string error;
};

IndexingWindowModel::IndexingWindowModel(MainModel& model) : model_(model) {}

IndexingWindowModel::~IndexingWindowModel() {
  if (job_) job_->cancel = true;
  if (worker_ && worker_->joinable()) worker_->join();
}

double IndexingWindowModel::Wavelength() const { return model_.data.Lambda(model_.data.PrimaryLineIndex()); }

bool IndexingWindowModel::EnergyData() const { return model_.XRDPlot.DataType() == "Energy"; }

// Angle data: Bragg's law at the primary line, without the specimen
// displacement, which the zero shift of the solutions takes up. Energy data:
// the channel's energy through the calibration, then E d sin(theta) = hc/2
// at the detector's angle.
double IndexingWindowModel::SpacingAt(double position) const {
  const double d = EnergyData() ? static_cast<double>(model_.XRDPlot.DFromTT(static_cast<float>(position)))
                                : DFromTwoTheta(Wavelength(), position);
  return std::isfinite(d) && d > 0 ? d : 0.0;
}

PeakSearchOptions IndexingWindowModel::SearchOptions() const {
  PeakSearchOptions search;
  const CData& data = model_.data;
  if (EnergyData()) return search;  // one line per reflection on a spectrum
  if (const auto second = SecondLine(data)) {
    const double ratio = static_cast<double>(data.Lambda(*second)) / Wavelength();
    search.doublet = [ratio](double tt) {
      const double s = ratio * std::sin(tt * kDegree / 2.0);
      return s < 1 ? 2.0 * std::asin(s) / kDegree : 180.0;
    };
    const double first = data.SourceIntensity(data.PrimaryLineIndex());
    search.ratio = data.LineExists(*second) && first > 0 && data.SourceIntensity(*second) > 0
                       ? data.SourceIntensity(*second) / first
                       : 0.5;
  }
  return search;
}

bool IndexingWindowModel::FindPeaks() {
  if (Running()) return false;
  const CData& data = model_.data;
  // Whatever the outcome, the old peaks and solutions belong to another pattern.
  searched_ = KeyOfPattern();
  peaks_.clear();
  DropSolutions();
  if (data.XValues().size() < 10) {
    message_ = "No measured pattern is loaded.";
    return false;
  }
  if (EnergyData()) {
    if (!(data.edsCAL_SLOPE != 0.0f || data.edsCAL_QUAD != 0.0f)) {
      message_ = "The spectrum has no energy calibration.";
      return false;
    }
    if (!(data.edsTWO_THETA > 0.0f && data.edsTWO_THETA < 180.0f)) {
      message_ = "The spectrum has no detector angle (2-theta).";
      return false;
    }
  }
  std::vector<double> x(data.XValues().begin(), data.XValues().end());
  // The part of the pattern shown: zooming leaves out what should not count.
  PeakSearchOptions search = SearchOptions();
  search.lo = model_.XRDPlot.SngTTMin();
  search.hi = model_.XRDPlot.SngTTMax();
  search.sensitivity = sensitivity_;
  for (const auto& p : SearchPeaks(x, data.Intensities(), search))
    if (const double d = SpacingAt(p.position); d > 0) peaks_.push_back({p.position, p.su, d, p.height, p.fwhm});
  MarkKnownLines();
  message_ = std::to_string(peaks_.size()) + " peaks found.";
  return true;
}

IndexingWindowModel::PatternKey IndexingWindowModel::KeyOfPattern() const {
  const CData& data = model_.data;
  PatternKey key;
  key.type = model_.XRDPlot.DataType();
  key.points = data.XValues().size();
  if (key.points > 0) key.first = data.XValues().front(), key.last = data.XValues().back();
  for (double y : data.Intensities()) key.sum += y;
  key.conversion = {static_cast<float>(Wavelength()), data.edsTWO_THETA, data.edsCAL_OFFSET, data.edsCAL_SLOPE,
                    data.edsCAL_QUAD};
  return key;
}

bool IndexingWindowModel::PatternChanged() const { return searched_ && !(*searched_ == KeyOfPattern()); }

void IndexingWindowModel::SetPeakUsed(int row, bool used) {
  if (row < 0 || row >= static_cast<int>(peaks_.size())) return;
  peaks_[static_cast<std::size_t>(row)].used = used;
  peaks_[static_cast<std::size_t>(row)].heldOut = false;
  UpdateTicks();
}

bool IndexingWindowModel::AddPeak(double position, int* row) {
  const auto& x = model_.data.XValues();
  if (Running() || x.size() < 10 || !(position >= x.front() && position <= x.back()) || !(SpacingAt(position) > 0))
    return false;
  // Fitted over a few widths of the pattern's peaks round the click, with a
  // low threshold: the user adds the weak peaks the search left out.
  std::vector<double> widths;
  for (const auto& p : peaks_)
    if (p.fwhm > 0) widths.push_back(p.fwhm);
  const double step = (x.back() - x.front()) / static_cast<double>(x.size() - 1);
  const double width = widths.empty() ? 0.005 * (x.back() - x.front()) : Median(widths);
  const double half = std::max(4 * width, 12 * step);
  PeakSearchOptions search = SearchOptions();
  search.lo = position - half;
  search.hi = position + half;
  search.sensitivity = 2;
  search.minRelative = 0;
  std::vector<double> xs(x.begin(), x.end());
  IndexingPeak peak;
  peak.position = position;
  if (const auto channel = model_.data.Index(static_cast<float>(position)))
    peak.height = model_.data.Intensities().at(static_cast<std::size_t>(*channel));
  double nearest = half / 2;
  for (const auto& p : SearchPeaks(xs, model_.data.Intensities(), search))
    if (std::abs(p.position - position) < nearest) {
      nearest = std::abs(p.position - position);
      peak.position = p.position, peak.su = p.su, peak.height = p.height, peak.fwhm = p.fwhm;
    }
  peak.spacing = SpacingAt(peak.position);
  if (!(peak.spacing > 0)) return false;
  if (std::any_of(peaks_.begin(), peaks_.end(),
                  [&](const IndexingPeak& p) { return std::abs(p.position - peak.position) < 0.5 * width; })) {
    message_ = "That peak is in the list already.";
    return false;
  }
  peak.added = true;
  const auto at = std::lower_bound(peaks_.begin(), peaks_.end(), peak.position,
                                   [](const IndexingPeak& p, double v) { return p.position < v; });
  if (row) *row = static_cast<int>(at - peaks_.begin());
  peaks_.insert(at, peak);
  message_ = "Peak added at " + FixedText(peak.position, 4) + ".";
  MarkKnownLines();
  return true;
}

void IndexingWindowModel::RemovePeak(int row) {
  if (row < 0 || row >= static_cast<int>(peaks_.size())) return;
  peaks_.erase(peaks_.begin() + row);
  UpdateTicks();
}

void IndexingWindowModel::SetLeaveOutKnownLines(bool on) {
  leaveOutKnown_ = on;
  MarkKnownLines();
}

// A peak is known when a line of a stored phase or of the working phase lies
// within the matching tolerance; leaving known peaks out unticks them, and
// turning it off ticks again those it had unticked.
std::vector<double> IndexingWindowModel::KnownSpacings() const {
  std::vector<double> lines;
  for (const auto& r : EnumerateReflections(model_.pattern, model_.UnitCell)) lines.push_back(r.d);
  for (int slot = 0; slot < CStoredPhases::kSlots; ++slot) {
    if (!model_.storedphases.StoredPattern(slot).Exists) continue;
    for (int k = 0; k < CStoredPhases::kLinePositions; ++k)
      if (const float d = model_.storedphases.StoredLinePosition(slot, k); d > 0) lines.push_back(d);
  }
  return lines;
}

void IndexingWindowModel::MarkKnownLines() {
  knownLines_ = KnownSpacings();
  const auto& lines = knownLines_;
  for (auto& p : peaks_) {
    const bool known = std::any_of(lines.begin(), lines.end(), [&](double d) { return Matches(d, p); });
    p.known = known;
    if (leaveOutKnown_ && known && p.used) p.used = false, p.heldOut = true;
    if ((!leaveOutKnown_ || !known) && p.heldOut) p.used = true, p.heldOut = false;
  }
  UpdateTicks();
}

// Within the tolerance in 2-theta. On a spectrum the same tolerance is read
// at the detector's angle: a change of 2-theta there moves d by
// d cot(theta) d(2-theta) / 2.
bool IndexingWindowModel::Matches(double lineSpacing, const IndexingPeak& peak) const {
  if (!EnergyData()) return std::abs(TwoThetaFromD(Wavelength(), lineSpacing) - peak.position) <= options_.tolerance;
  const double theta = model_.data.edsTWO_THETA * kDegree / 2.0;
  if (!(theta > 0) || !(peak.spacing > 0)) return false;
  return std::abs(lineSpacing - peak.spacing) <= peak.spacing * options_.tolerance * kDegree / (2.0 * std::tan(theta));
}

// The ticked peaks are marked along the top of the plot, and the selected
// solution's lines drawn over it, while the window is open.
void IndexingWindowModel::UpdateTicks() {
  if (!shown_) return;
  auto& ticks = model_.XRDPlot.PeakTicks;
  ticks.clear();
  for (const auto& p : peaks_)
    if (p.used) ticks.push_back(static_cast<float>(p.position));
  auto& preview = model_.XRDPlot.PreviewLines;
  preview.clear();
  for (double x : PreviewLines()) preview.push_back(static_cast<float>(x));
  model_.Notify(ModelChange::Plot);
}

std::vector<double> IndexingWindowModel::PreviewLines() const {
  if (selected_ < 0) return {};
  const auto& x = model_.data.XValues();
  if (x.empty()) return {};
  const auto& solution = solutions_[static_cast<std::size_t>(selected_)];
  std::vector<double> lines;
  if (input_.axis == IndexingInput::Axis::Spacing) {
    // A spectrum's smallest spacing is at its highest energy.
    double dMin = 0;
    for (float end : {x.front(), x.back()})
      if (const double d = SpacingAt(end); d > 0 && (dMin == 0 || d < dMin)) dMin = d;
    for (double d : PredictedSpacings(solution, dMin))
      if (const float channel = model_.XRDPlot.TTFromD(0.0f, static_cast<float>(d)); channel >= 0)
        lines.push_back(channel);
  } else {
    const double dMin = DFromTwoTheta(input_.wavelength, std::min(x.back(), 179.0f));
    for (double d : PredictedSpacings(solution, dMin))
      if (const double tt = TwoThetaFromD(input_.wavelength, d); std::isfinite(tt)) lines.push_back(tt + LineShift(solution, tt));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

void IndexingWindowModel::ShowTicks() {
  shown_ = true;
  UpdateTicks();
}

void IndexingWindowModel::HideTicks() {
  shown_ = false;
  model_.XRDPlot.PeakTicks.clear();
  model_.XRDPlot.PreviewLines.clear();
  model_.Notify(ModelChange::Plot);
}

void IndexingWindowModel::SetSystem(int code, bool on) {
  if (code < Cubic || code > Triclinic) return;
  options_.systems[static_cast<std::size_t>(code)] = on;
}

std::string IndexingWindowModel::OptionText(IndexingOption which) const {
  switch (which) {
    case IndexingOption::MaxVolume: return GeneralText(options_.maxVolume);
    case IndexingOption::Impurities: return std::to_string(options_.impurities);
    case IndexingOption::ZeroRange: return GeneralText(options_.zeroRange);
    case IndexingOption::Tolerance: return GeneralText(options_.tolerance);
    case IndexingOption::Sensitivity: return GeneralText(sensitivity_);
  }
  return {};
}

bool IndexingWindowModel::SetOptionText(IndexingOption which, std::string_view text) {
  const auto v = StrictDouble(text);
  if (!v) return false;
  switch (which) {
    case IndexingOption::MaxVolume:
      if (!(*v >= 10 && *v <= 1e5)) return false;
      options_.maxVolume = *v;
      return true;
    case IndexingOption::Impurities:
      if (!(*v >= 0 && *v <= 10) || *v != std::floor(*v)) return false;
      options_.impurities = static_cast<int>(*v);
      return true;
    case IndexingOption::ZeroRange:
      if (!(*v >= 0 && *v <= 1)) return false;
      options_.zeroRange = *v;
      return true;
    case IndexingOption::Tolerance:
      if (!(*v > 0 && *v <= 0.5)) return false;
      options_.tolerance = *v;
      MarkKnownLines();
      return true;
    case IndexingOption::Sensitivity:  // taken at the next Find Peaks
      if (!(*v >= 0.5 && *v <= 1000)) return false;
      sensitivity_ = *v;
      return true;
  }
  return false;
}

bool IndexingWindowModel::Start() {
  if (Running()) return false;
  if (std::none_of(options_.systems.begin(), options_.systems.end(), [](bool b) { return b; })) {
    message_ = "Choose at least one crystal system.";
    return false;
  }
  auto job = std::make_shared<Job>();
  job->input.wavelength = Wavelength();
  // A spectrum is indexed on the spacings of its peaks.
  if (EnergyData()) job->input.axis = IndexingInput::Axis::Spacing;
  for (const auto& p : peaks_)
    if (p.used) job->input.positions.push_back(EnergyData() ? p.spacing : p.position);
  if (job->input.positions.size() < 4) {
    message_ = "At least four ticked peaks are needed.";
    return false;
  }
  job->options = options_;
  DropSolutions();
  job_ = job;
  message_ = "Indexing...";
  worker_ = std::make_unique<std::thread>([job] {
    try {
      job->solutions = IndexPeaks(job->input, job->options, &job->cancel, [&job](double f) { job->progress = f; });
    } catch (const IndexingCancelled&) {
      job->error = "Cancelled.";
    } catch (const std::exception& e) {
      job->error = e.what();
    }
    job->done = true;
  });
  return true;
}

double IndexingWindowModel::Progress() const { return job_ ? job_->progress.load() : 0.0; }

void IndexingWindowModel::Cancel() {
  if (job_) job_->cancel = true;
}

bool IndexingWindowModel::Poll() {
  if (!worker_ || !job_->done) return false;
  worker_->join();
  worker_.reset();
  const auto job = std::move(job_);
  if (!job->error.empty()) {
    message_ = job->error;
    return true;
  }
  // Only cells that index all but the allowed impurities and a tenth of the
  // lines, with a figure of merit above chance, are offered.
  auto solutions = std::move(job->solutions);
  std::erase_if(solutions, [&](const IndexingSolution& s) {
    return s.m20 < 3 || s.indexed + job->options.impurities + s.used / 10 < s.used;
  });
  input_ = job->input;
  solutions_ = std::move(solutions);
  message_ = solutions_.empty() ? "No cell indexes the peaks." : std::to_string(solutions_.size()) + " solutions.";
  if (!solutions_.empty()) Select(0);
  return true;
}

void IndexingWindowModel::Wait() {
  if (worker_ && worker_->joinable()) {
    while (!job_->done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Poll();
  }
}

void IndexingWindowModel::DropSolutions() {
  solutions_.clear();
  extinctions_.clear();
  selected_ = selectedExtinction_ = -1;
  UpdateTicks();
}

std::array<std::string, IndexingWindowModel::kSolutionColumns> IndexingWindowModel::SolutionRow(int row) const {
  const auto& s = solutions_.at(static_cast<std::size_t>(row));
  std::string cell;
  const int shown = s.system == Cubic ? 1 : s.system <= Orthorhombic ? 3 : 6;
  for (int k = 0; k < shown; ++k) {
    if (k) cell += ' ';
    cell += FixedText(s.cell[static_cast<std::size_t>(k)], k < 3 ? 5 : 3);
  }
  if (s.system == Monoclinic) cell = FixedText(s.cell[0], 5) + ' ' + FixedText(s.cell[1], 5) + ' ' +
                                     FixedText(s.cell[2], 5) + ' ' + FixedText(s.cell[4], 3);
  std::string rank = std::to_string(row + 1);
  if (s.tieWith >= 0) rank += " (= " + std::to_string(s.tieWith + 1) + ")";
  return {rank,
          std::string(CrystalSystemName(s.system)),
          std::string(1, s.lattice),
          cell,
          FixedText(s.volume, 2),
          FixedText(s.m20, 1),
          FixedText(s.fn, 1),
          input_.axis == IndexingInput::Axis::Spacing ? std::string("-")
          // A specimen displacement takes the zero's place, and shifts as cos(theta).
          : s.displacement != 0 ? FixedText(s.displacement, 4) + " cosθ"
                                : FixedText(s.zero, 4),
          std::to_string(s.indexed) + "/" + std::to_string(s.used)};
}

void IndexingWindowModel::Select(int row) {
  if (row < -1 || row >= static_cast<int>(solutions_.size())) return;
  selected_ = row;
  extinctions_.clear();
  selectedExtinction_ = -1;
  if (row >= 0) {
    extinctions_ = RankExtinctionSymbols(input_, options_, solutions_[static_cast<std::size_t>(row)]);
    if (!extinctions_.empty() && extinctions_.front().possible()) selectedExtinction_ = 0;
  }
  UpdateTicks();
}

void IndexingWindowModel::SelectExtinction(int row) {
  if (row >= -1 && row < static_cast<int>(extinctions_.size())) selectedExtinction_ = row;
}

std::array<std::string, 4> IndexingWindowModel::ExtinctionRow(const ExtinctionScore& e) {
  return {std::to_string(e.number), e.spaceGroups, std::to_string(e.absentObserved),
          std::to_string(e.unobservedPredicted)};
}

bool IndexingWindowModel::CanApply() const { return !Running() && selected_ >= 0 && selectedExtinction_ >= 0; }

std::array<double, 6> RhombohedralFromHexagonal(double a, double c) {
  const double ar = std::sqrt(3.0 * a * a + c * c) / 3.0;
  const double alpha = 2.0 * std::asin(a / (2.0 * ar)) / kDegree;
  return {ar, ar, ar, alpha, alpha, alpha};
}

bool IndexingWindowModel::Apply() {
  if (!CanApply()) return false;
  const auto& s = solutions_[static_cast<std::size_t>(selected_)];
  const auto& e = extinctions_[static_cast<std::size_t>(selectedExtinction_)];
  std::array<double, 6> cell = s.cell;
  // The catalogue's rhombohedral entries set the cell on rhombohedral axes.
  for (const auto& entry : CatalogueEntries(s.system))
    if (entry.number == e.number && entry.trigAxes == "Rhombohedral") cell = RhombohedralFromHexagonal(s.cell[0], s.cell[2]);
  std::array<float, 6> values{};
  for (std::size_t k = 0; k < 6; ++k) values[k] = static_cast<float>(cell[k]);
  // Tried on copies first, so that a refused cell leaves the model untouched.
  CPattern trialPattern = model_.pattern;
  CUnitCell trialCell = model_.UnitCell;
  try {
    SetUpPhase(trialPattern, trialCell, s.system, e.number, values);
  } catch (const QuorlinError& err) {
    message_ = err.what();
    return false;
  }
  const auto system = static_cast<std::int16_t>(s.system);
  model_.Edit([&] {
    if (system == Trigonal) {
      // The number first, so that the cell's axes follow from it.
      model_.pattern.CrystalSystem = Trigonal;
      model_.pattern.SetExtinctionNumber(e.number, &model_.UnitCell);
      model_.SetCrystalSystem(system);
    } else {
      model_.SetCrystalSystem(system);
      model_.pattern.SetExtinctionNumber(e.number, &model_.UnitCell);
    }
    model_.SymmetryChanged();
    model_.UnitCell.SetCell(1, values);
    model_.UnitCell.CellHistory(-1);
  });
  message_ = "Applied.";
  return true;
}

}  // namespace quorlin
