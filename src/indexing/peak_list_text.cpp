#include "indexing/peak_list_text.h"

#include <charconv>
#include <cmath>

#include "core/errors.h"

namespace quorlin {
namespace {

bool Number(std::string_view word, double& value) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size() && std::isfinite(value);
}

}  // namespace

std::vector<ListedPeak> ParsePeakList(std::string_view text, const std::string& name) {
  std::vector<ListedPeak> peaks;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
      const std::size_t start = line.find_first_not_of(" \t\r,;", at);
      if (start == std::string_view::npos) break;
      const std::size_t stop = std::min(line.find_first_of(" \t\r,;", start), line.size());
      words.push_back(line.substr(start, stop - start));
      at = stop;
    }
    if (words.empty() || words.front().front() == '#') continue;
    auto where = [&] { return name + ":" + std::to_string(number) + ": "; };
    ListedPeak peak;
    if (!Number(words[0], peak.position) || !(peak.position > 0))
      throw QuorlinError(where() + "\"" + std::string(words[0].substr(0, 40)) + "\" is not a position");
    if (words.size() > 1 && (!Number(words[1], peak.intensity) || peak.intensity < 0))
      throw QuorlinError(where() + "\"" + std::string(words[1].substr(0, 40)) + "\" is not an intensity");
    peaks.push_back(peak);
  }
  return peaks;
}

}  // namespace quorlin
