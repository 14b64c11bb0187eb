#include "mainwindow/compression_series.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <mutex>
#include <sstream>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "energy/scales.h"
#include "mainwindow/main_model.h"
#include "mainwindow/refine_cell_model.h"

namespace quorlin {
namespace {

using Status = RefinedValue::Status;

std::string FileName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The problem without the file's name in front; a reader's "FILE:12: ..."
// reads "line 12: ...".
std::string Reason(const SeriesRow& row) {
  if (row.error.rfind(row.file, 0) != 0) return row.error;
  std::string rest = row.error.substr(row.file.size());
  if (rest.rfind(": ", 0) == 0) return rest.substr(2);
  std::size_t digits = 1;
  while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
  if (rest.size() > 2 && rest[0] == ':' && digits > 1 && rest.compare(digits, 2, ": ") == 0)
    return "line " + rest.substr(1, digits - 1) + rest.substr(digits);
  return rest;
}

std::string Note(const SeriesRow& row) { return row.ok ? row.rangeNote : Reason(row); }

// A refined parameter with its su; one fixed by symmetry (b and c of a
// cubic cell) as a plain value.
std::string ParameterText(const RefinedValue& v, int decimals) {
  return v.status == Status::Refined ? ValueWithSu(v) : FixedText(v.value, decimals);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char ch : text) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return quoted + "\"";
}

}  // namespace

// What the worker owns: its copy of the request, and the rows it hands back.
// Only `cancel`, `done`, `finished` and the pending rows (under the mutex)
// are shared while it runs.
struct CompressionSeriesModel::Job {
  SeriesRequest request;
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> done{0};
  std::atomic<bool> finished{false};
  std::mutex mutex;
  std::vector<SeriesRow> pending;
  std::string error;
};

CompressionSeriesModel::CompressionSeriesModel(MainModel& model) : model_(model) {}

CompressionSeriesModel::~CompressionSeriesModel() {
  if (job_) job_->cancel = true;
  if (worker_ && worker_->joinable()) worker_->join();
}

void CompressionSeriesModel::AddFiles(const std::vector<std::string>& paths) {
  files_.insert(files_.end(), paths.begin(), paths.end());
}

void CompressionSeriesModel::RemoveFile(int index) {
  if (index >= 0 && index < static_cast<int>(files_.size())) files_.erase(files_.begin() + index);
}

bool CompressionSeriesModel::MoveFile(int index, int step) {
  const int to = index + step;
  const int n = static_cast<int>(files_.size());
  if (index < 0 || index >= n || to < 0 || to >= n) return false;
  std::swap(files_[static_cast<std::size_t>(index)], files_[static_cast<std::size_t>(to)]);
  return true;
}

std::string CompressionSeriesModel::ScaleName() const {
  if (scaleChosen_) return scale_;
  return model_.Pressure.marked ? model_.Pressure.scale : std::string();
}

bool CompressionSeriesModel::SetScaleName(const std::string& name) {
  if (!name.empty() && !FindPressureScale(name)) return false;
  scale_ = name;
  scaleChosen_ = true;
  return true;
}

std::string CompressionSeriesModel::StartText() const {
  const CUnitCell& c = model_.UnitCell;
  std::string text = "Start (working phase):";
  for (int i = 0; i < 3; ++i) text += " " + FixedText(c.Edge(1, i), 5);
  for (int i = 0; i < 3; ++i) text += " " + FixedText(c.CellAngle(1, i).Degrees(), 3);
  return text;
}

bool CompressionSeriesModel::Start() {
  if (Running()) return false;
  if (files_.empty()) {
    message_ = "Add the patterns of the series first.";
    return false;
  }
  auto job = std::make_shared<Job>();
  SeriesRequest& r = job->request;
  r.files = files_;
  r.pattern = model_.pattern;
  r.cell = model_.UnitCell;
  for (int i = 0; i < 3; ++i) {
    r.start[static_cast<std::size_t>(i)] = model_.UnitCell.Edge(1, i);
    r.start[static_cast<std::size_t>(i + 3)] = model_.UnitCell.CellAngle(1, i).Degrees();
  }
  // Every pattern is read with the source lines the loaded one is drawn with.
  CData source = model_.data;
  source.SetPattern({}, {});  // only its source lines are wanted
  r.setSource = [source](CData& data) {
    for (int i = 0; i < CData::kLineCount; ++i) {
      data.SetLambda(i, source.Lambda(i));
      data.SetSourceIntensity(i, source.SourceIntensity(i));
      data.SetLineExists(i, source.LineExists(i));
    }
    data.PrimaryLine = source.PrimaryLine;
    data.TubeType = source.TubeType;
  };
  r.refineZero = refineZero_;
  r.follow = follow_;
  r.scale = ScaleName().empty() ? nullptr : FindPressureScale(ScaleName());
  r.kelvin = model_.Pressure.kelvin;
  r.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  rows_.clear();
  job_ = job;
  message_ = "Refining...";
  worker_ = std::make_unique<std::thread>([job] {
    SeriesControl control;
    control.cancel = &job->cancel;
    control.rowDone = [&job](std::size_t, const SeriesRow& row) {
      const std::lock_guard lock(job->mutex);
      job->pending.push_back(row);
      ++job->done;
    };
    try {
      RefineSeries(job->request, control);
    } catch (const std::exception& e) {
      job->error = e.what();
    }
    job->finished = true;
  });
  return true;
}

double CompressionSeriesModel::Progress() const {
  if (!job_) return rows_.empty() ? 0.0 : 1.0;
  return static_cast<double>(job_->done.load()) / static_cast<double>(job_->request.files.size());
}

void CompressionSeriesModel::Cancel() {
  if (job_) job_->cancel = true;
}

bool CompressionSeriesModel::Poll() {
  if (!job_) return false;
  const bool finished = job_->finished;  // read before the rows: none can come after it
  bool changed = false;
  {
    const std::lock_guard lock(job_->mutex);
    changed = !job_->pending.empty();
    for (SeriesRow& row : job_->pending) rows_.push_back(std::move(row));
    job_->pending.clear();
  }
  if (!finished) return changed;
  Finish();
  return true;
}

void CompressionSeriesModel::Finish() {
  worker_->join();
  worker_.reset();
  const auto job = std::move(job_);
  const auto failed = std::count_if(rows_.begin(), rows_.end(), [](const SeriesRow& r) { return !r.ok; });
  const std::size_t total = job->request.files.size();
  if (!job->error.empty()) message_ = job->error;
  else if (rows_.size() < total)
    message_ = "Cancelled after " + std::to_string(rows_.size()) + " of " + std::to_string(total) + " patterns.";
  else
    message_ = std::to_string(rows_.size() - static_cast<std::size_t>(failed)) + " of " + std::to_string(total) +
               " patterns refined" + (failed ? ", " + std::to_string(failed) + " failed." : ".");
}

void CompressionSeriesModel::Wait() {
  while (worker_ && !job_->finished) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  Poll();
}

const std::array<const char*, CompressionSeriesModel::kTableColumns>& CompressionSeriesModel::TableHeader() {
  static const std::array<const char*, kTableColumns> header = {
      "File", "a", "b", "c", "alpha", "beta", "gamma", "V", "P (GPa)", "Note"};
  return header;
}

std::array<std::string, CompressionSeriesModel::kTableColumns> CompressionSeriesModel::TableRow(int row) const {
  const SeriesRow& r = rows_.at(static_cast<std::size_t>(row));
  std::array<std::string, kTableColumns> t;
  t[0] = FileName(r.file);
  t[9] = Note(r);
  if (!r.ok) return t;
  for (std::size_t i = 0; i < 6; ++i) t[1 + i] = ParameterText(r.result.cell[i], i < 3 ? 5 : 3);
  t[7] = ParameterText(r.result.volume, 3);
  if (r.pressure) {
    RefinedValue p{*r.pressure, r.pressureSu.value_or(0), Status::Refined};
    t[8] = r.pressureSu && *r.pressureSu > 0 ? ValueWithSu(p) : FixedText(*r.pressure, 2);
  }
  return t;
}

std::vector<std::pair<int, double>> CompressionSeriesModel::PlotPoints(SeriesQuantity quantity) const {
  std::vector<std::pair<int, double>> points;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const SeriesRow& r = rows_[i];
    if (!r.ok) continue;
    if (quantity == SeriesQuantity::Volume) points.emplace_back(static_cast<int>(i) + 1, r.result.volume.value);
    else if (r.pressure) points.emplace_back(static_cast<int>(i) + 1, *r.pressure);
  }
  return points;
}

std::string CompressionSeriesModel::CsvText() const {
  std::ostringstream out;
  for (const char* name : SeriesColumnNames()) out << name << ',';
  out << "note\r\n";
  for (const SeriesRow& r : rows_) {
    std::array<std::string, kSeriesColumnCount> columns{};
    if (r.ok) columns = SeriesColumns(r);
    columns[0] = r.file;
    // A column that does not apply is left empty, as spreadsheets expect.
    for (const std::string& c : columns) out << CsvField(c == "-" ? std::string() : c) << ',';
    out << CsvField(Note(r)) << "\r\n";
  }
  return out.str();
}

bool CompressionSeriesModel::ExportCsv() {
  FileDialogRequest request;
  request.title = "Export CSV";
  request.filters = {{"CSV (*.csv)", "*.csv"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "csv";
  // Beside the patterns, where a user looks for the table of their series.
  const std::size_t slash = files_.empty() ? std::string::npos : files_.front().find_last_of('/');
  request.initialFolder = slash == std::string::npos ? model_.DataDirectory : files_.front().substr(0, slash);
  request.fileName = "series.csv";
  const auto path = model_.Platform().SaveFileDialog(request);
  return path && ExportCsvFile(*path);
}

bool CompressionSeriesModel::ExportCsvFile(const std::string& path) {
  try {
    WriteFileAtomically(path, CsvText());
  } catch (const QuorlinError& e) {
    model_.Platform().ShowMessage(e.what());
    return false;
  }
  return true;
}

bool CompressionSeriesModel::Apply(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !rows_[static_cast<std::size_t>(row)].ok) return false;
  const SeriesRow& r = rows_[static_cast<std::size_t>(row)];
  const std::array<float, 6> cell = r.Cell();
  CUnitCell trial = model_.UnitCell;
  if (!trial.SetCell(1, cell)) {
    message_ = "The row's cell is outside the cell limits.";
    return false;
  }
  model_.Edit([&] {
    model_.UnitCell.SetCell(1, cell);
    model_.UnitCell.CellHistory(-1);
    // The marked standard's pressure carries the su of the refined volume.
    const bool su = r.result.volume.status == Status::Refined && r.result.volume.su > 0;
    model_.Pressure.volumeSu = su ? r.result.volume.su : 0;
    model_.Pressure.suVolume = su ? model_.UnitCell.Volume() : 0;
  });
  message_ = "Applied the cell of " + FileName(r.file) + ".";
  return true;
}

}  // namespace quorlin
