#include "indexing/peak_search.h"

#include <algorithm>
#include <cmath>

#include "fitting/profile_fit.h"

namespace quorlin {
namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// The lower envelope: the second-lowest point of each segment (one spike of
// low noise does not pull it down), joined linearly.
std::vector<double> Background(const std::vector<double>& x, const std::vector<double>& y, std::size_t segment) {
  const std::size_t n = y.size();
  std::vector<double> px, py;
  for (std::size_t start = 0; start < n; start += segment) {
    const std::size_t end = std::min(n, start + segment);
    std::vector<std::pair<double, std::size_t>> v;
    for (std::size_t i = start; i < end; ++i) v.push_back({y[i], i});
    std::sort(v.begin(), v.end());
    const auto& pick = v[std::min<std::size_t>(1, v.size() - 1)];
    px.push_back(x[pick.second]);
    py.push_back(pick.first);
  }
  std::vector<double> bg(n);
  for (std::size_t i = 0; i < n; ++i) {
    auto it = std::upper_bound(px.begin(), px.end(), x[i]);
    if (it == px.begin()) bg[i] = py.front();
    else if (it == px.end()) bg[i] = py.back();
    else {
      const std::size_t j = static_cast<std::size_t>(it - px.begin());
      const double t = (x[i] - px[j - 1]) / (px[j] - px[j - 1]);
      bg[i] = py[j - 1] + t * (py[j] - py[j - 1]);
    }
  }
  return bg;
}

std::vector<double> Smooth(const std::vector<double>& y, int half) {
  std::vector<double> out(y.size());
  const long n = static_cast<long>(y.size());
  for (long i = 0; i < n; ++i) {
    double s = 0, w = 0;
    for (long j = std::max(0L, i - half); j <= std::min(n - 1, i + half); ++j) {
      const double weight = half + 1 - std::abs(j - i);  // triangular
      s += weight * y[static_cast<std::size_t>(j)], w += weight;
    }
    out[static_cast<std::size_t>(i)] = s / w;
  }
  return out;
}

}  // namespace

std::vector<FoundPeak> SearchPeaks(const std::vector<double>& xIn, const std::vector<double>& yIn,
                                   const PeakSearchOptions& options) {
  std::vector<double> x, y;
  for (std::size_t i = 0; i < xIn.size() && i < yIn.size(); ++i)
    if (xIn[i] >= options.lo && xIn[i] <= options.hi && std::isfinite(xIn[i]) && std::isfinite(yIn[i]))
      x.push_back(xIn[i]), y.push_back(yIn[i]);
  std::vector<FoundPeak> peaks;
  const std::size_t n = x.size();
  if (n < 16) return peaks;
  // The noise: scatter of the second differences, which a smooth
  // background and broad peaks do not add to.
  std::vector<double> d2;
  for (std::size_t i = 1; i + 1 < n; ++i) d2.push_back(std::abs(y[i + 1] - 2 * y[i] + y[i - 1]));
  const double noise = std::max(1.4826 * Median(d2) / std::sqrt(6.0), 1e-12);
  // The width of a typical peak in points, from the points above half of
  // their local maximum; the smoothing and segments follow it.
  const std::vector<double> bg0 = Background(x, y, std::max<std::size_t>(20, n / 50));
  int width = 3;
  {
    std::vector<double> net(n);
    for (std::size_t i = 0; i < n; ++i) net[i] = y[i] - bg0[i];
    const std::size_t top = static_cast<std::size_t>(std::max_element(net.begin(), net.end()) - net.begin());
    std::size_t a = top, b = top;
    while (a > 0 && net[a] > net[top] / 2) --a;
    while (b + 1 < n && net[b] > net[top] / 2) ++b;
    width = static_cast<int>(std::clamp<std::size_t>(b - a, 2, 200));
  }
  const std::vector<double> bg = Background(x, y, std::max<std::size_t>(static_cast<std::size_t>(8 * width), 20));
  const std::vector<double> s = Smooth(y, std::max(1, width / 3));
  std::vector<double> curvature(n, 0);
  for (std::size_t i = 1; i + 1 < n; ++i) curvature[i] = -(s[i + 1] - 2 * s[i] + s[i - 1]);
  const double step = (x.back() - x.front()) / static_cast<double>(n - 1);
  for (std::size_t i = 2; i + 2 < n; ++i) {
    if (!(curvature[i] > 0 && curvature[i] >= curvature[i - 1] && curvature[i] > curvature[i + 1])) continue;
    const double net = s[i] - bg[i];
    const double local = noise;
    if (net < options.sensitivity * local) continue;
    // Fit a window of a few widths around the candidate.
    const std::size_t half = static_cast<std::size_t>(std::max(4, 2 * width));
    std::size_t b = std::min(n - 1, i + half);
    if (options.doublet) {
      // Far enough to hold the second component as well.
      const double second = options.doublet(x[i]);
      const std::size_t j = static_cast<std::size_t>(std::lower_bound(x.begin(), x.end(), second) - x.begin());
      b = std::min(n - 1, std::max(b, j + half));
    }
    const std::size_t a = i > half ? i - half : 0;
    std::vector<double> fx(x.begin() + static_cast<long>(a), x.begin() + static_cast<long>(b) + 1);
    std::vector<double> fy(y.begin() + static_cast<long>(a), y.begin() + static_cast<long>(b) + 1);
    ProfileStart start;
    start.centre = x[i];
    start.height = net;
    start.fwhm = std::max(2.0, static_cast<double>(width)) * step;
    start.background = bg[i];
    Doublet doublet;
    if (options.doublet) doublet = {options.doublet, options.ratio};
    const ProfileFit fit = FitProfile(fx, fy, start, doublet);
    // A peak stands out of its own fit's uncertainty, not only of the noise.
    if (!fit.converged || !(fit.height > 0) || std::abs(fit.centre - x[i]) > 2 * start.fwhm ||
        fit.height < 0.5 * options.sensitivity * local || fit.height < options.sensitivity * fit.heightSu ||
        !(fit.centreSu < start.fwhm))
      continue;
    peaks.push_back({fit.centre, fit.centreSu, fit.height, fit.fwhm});
  }
  // Spikes of noise fit far narrower than the pattern's peaks, and the slope
  // of a background far wider: both go, judged against the median width.
  if (!peaks.empty()) {
    std::vector<double> widths;
    for (const auto& p : peaks) widths.push_back(p.fwhm);
    const double typical = Median(widths);
    std::erase_if(peaks, [&](const FoundPeak& p) { return p.fwhm < 0.35 * typical || p.fwhm > 5 * typical; });
  }
  double strongest = 0;
  for (const auto& p : peaks) strongest = std::max(strongest, p.height);
  std::erase_if(peaks, [&](const FoundPeak& p) { return p.height < options.minRelative * strongest; });
  std::sort(peaks.begin(), peaks.end(), [](const FoundPeak& p, const FoundPeak& q) { return p.height > q.height; });
  // The second component of a doublet fitted as a peak of its own goes.
  if (options.doublet) {
    std::vector<FoundPeak> kept;
    for (const auto& p : peaks) {
      bool second = false;
      for (const auto& k : kept)
        second = second || std::abs(options.doublet(k.position) - p.position) < 0.5 * k.fwhm;
      if (!second) kept.push_back(p);
    }
    peaks = kept;
  }
  std::sort(peaks.begin(), peaks.end(), [](const FoundPeak& p, const FoundPeak& q) { return p.position < q.position; });
  // Two candidates that fitted to one peak are one.
  std::vector<FoundPeak> merged;
  for (const auto& p : peaks)
    if (merged.empty() || p.position - merged.back().position > 0.5 * std::min(p.fwhm, merged.back().fwhm))
      merged.push_back(p);
    else if (p.height > merged.back().height)
      merged.back() = p;
  return merged;
}

}  // namespace quorlin
