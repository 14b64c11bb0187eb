#include "fitting/series_refinement.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

#include "core/errors.h"
#include "core/numtext.h"
#include "data/data.h"
#include "data/formats.h"
#include "energy/scales.h"
#include "fitting/cell_search.h"
#include "fitting/pattern_refinement.h"
#include "plot/xrd_plot.h"

namespace quorlin {
namespace {

using Status = RefinedValue::Status;

SeriesRow RefineOne(const SeriesRequest& r, const std::string& file, const std::array<float, 6>& start, bool search) {
  SeriesRow o;
  o.file = file;
  try {
    CData data;
    ReadDataFile(file, "", data);
    if (data.DataType == "Energy") throw QuorlinError("an energy spectrum: series refines 2-theta patterns");
    if (r.setSource) r.setSource(data);
    CXRDPlot plot(data);
    plot.SetDataType(data.DataType);
    if (!plot.SetTTMin(SingleText(data.Lower)) || !plot.SetTTMax(SingleText(data.Upper)))
      throw QuorlinError("its range is not a plot window");
    CPattern pattern;
    CUnitCell cell;
    // The phase at a cell, with index ranges wide enough for every line of
    // this reach (5 % of expansion included).
    const double dMin = std::min(plot.DMin(), plot.DMax());
    auto setUp = [&](const std::array<float, 6>& parameters) {
      pattern = r.pattern;
      cell = r.cell;
      if (!cell.SetCell(1, parameters)) {
        std::string text;
        for (float v : parameters) text += (text.empty() ? "" : " ") + SingleText(v);
        throw QuorlinError("the cell " + text + " is refused (not a possible cell, or outside the cell limits)");
      }
      SetIndexReach(pattern, cell, dMin / 1.05);
    };
    setUp(start);
    if (search) {
      // 4 % either way in 0.01 % steps: a series step of 1 % or 2 % lies well inside.
      const double f = SearchCellScale(data, plot, pattern, cell, 0.96, 1.04, 800, data.Lower, data.Upper);
      std::array<float, 6> from = start;
      for (std::size_t i = 0; i < 3; ++i) from[i] = static_cast<float>(start[i] * f);
      setUp(from);
    }
    PatternRefinementOptions options;
    options.refineZero = r.refineZero;
    RefinementResult res = RefineCellFromPattern(data, plot, pattern, cell, options).result;
    static const char* names[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
    for (std::size_t i = 0; i < 6; ++i)
      if (res.cell[i].status == Status::NotDetermined)
        throw QuorlinError(std::string(names[i]) + " is not determined by the measured reflections");
    if (r.scale) {
      const double V = res.volume.value;
      o.pressure = ScalePressure(*r.scale, V, r.kelvin);
      if (res.volume.status == Status::Refined)
        o.pressureSu = std::fabs(ScalePressureSlope(*r.scale, V, r.kelvin)) * res.volume.su;
      o.rangeNote = OutsideRangeNote(*r.scale, V, r.kelvin);
    }
    res.reflections.clear();  // not kept: a long series holds only the table
    o.result = std::move(res);
    o.ok = true;
  } catch (const QuorlinError& e) {
    const std::string what = e.what();
    // Readers already name the file.
    o.error = what.rfind(file, 0) == 0 ? what : file + ": " + what;
    o.rangeNote.clear();
    o.pressure.reset();
    o.pressureSu.reset();
  }
  return o;
}

// Hands rows on in the order of the files as the ones before them are done.
class InOrder {
 public:
  InOrder(std::vector<SeriesRow>& rows, const SeriesControl& control)
      : rows_(rows), control_(control), done_(rows.size()) {}
  void Done(std::size_t i, SeriesRow row) {
    const std::lock_guard lock(mutex_);
    rows_[i] = std::move(row);
    done_[i] = true;
    for (; next_ < rows_.size() && done_[next_]; ++next_)
      if (control_.rowDone) control_.rowDone(next_, rows_[next_]);
  }
  std::size_t Delivered() const { return next_; }

 private:
  std::vector<SeriesRow>& rows_;
  const SeriesControl& control_;
  std::mutex mutex_;
  std::vector<bool> done_;
  std::size_t next_ = 0;
};

}  // namespace

std::array<float, 6> SeriesRow::Cell() const {
  std::array<float, 6> c{};
  for (std::size_t i = 0; i < 6; ++i) c[i] = static_cast<float>(result.cell[i].value);
  return c;
}

std::vector<SeriesRow> RefineSeries(const SeriesRequest& r, const SeriesControl& control) {
  std::vector<SeriesRow> rows(r.files.size());
  InOrder order(rows, control);
  auto cancelled = [&] { return control.cancel && control.cancel->load(); };
  if (r.follow) {
    // Each from the last refined cell; a pattern that fails leaves it as it was.
    std::array<float, 6> start = r.start;
    for (std::size_t i = 0; i < r.files.size() && !cancelled(); ++i) {
      SeriesRow o = RefineOne(r, r.files[i], start, true);
      if (o.ok) start = o.Cell();
      order.Done(i, std::move(o));
    }
  } else {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
      for (std::size_t i; !cancelled() && (i = next++) < r.files.size();)
        order.Done(i, RefineOne(r, r.files[i], r.start, false));
    };
    std::vector<std::thread> workers;
    const int n = std::min<int>(r.jobs, static_cast<int>(r.files.size()));
    for (int t = 1; t < n; ++t) workers.emplace_back(work);
    work();
    for (std::thread& t : workers) t.join();
  }
  rows.resize(order.Delivered());
  return rows;
}

const std::array<const char*, kSeriesColumnCount>& SeriesColumnNames() {
  static const std::array<const char*, kSeriesColumnCount> names = {
      "file",     "a",       "b",        "c",         "alpha", "beta",   "gamma",  "volume", "su_a",
      "su_b",     "su_c",    "su_alpha", "su_beta",   "su_gamma", "su_volume", "zero", "P_GPa", "su_GPa"};
  return names;
}

std::array<std::string, kSeriesColumnCount> SeriesColumns(const SeriesRow& row) {
  const RefinementResult& res = row.result;
  auto su = [](const RefinedValue& v, int digits) {
    return v.status == Status::Refined ? FixedText(v.su, digits) : "-";
  };
  std::array<std::string, kSeriesColumnCount> c;
  c[0] = row.file;
  for (std::size_t i = 0; i < 6; ++i) {
    c[1 + i] = FixedText(res.cell[i].value, i < 3 ? 6 : 4);
    c[8 + i] = su(res.cell[i], i < 3 ? 6 : 4);
  }
  c[7] = FixedText(res.volume.value, 4);
  c[14] = su(res.volume, 4);
  c[15] = res.zero.status == Status::Refined ? FixedText(res.zero.value, 5) : "-";
  c[16] = row.pressure ? GeneralText(*row.pressure) : "-";
  c[17] = row.pressureSu ? GeneralText(*row.pressureSu) : "-";
  return c;
}

}  // namespace quorlin
