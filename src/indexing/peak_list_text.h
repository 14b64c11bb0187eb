// The text form of a peak list: one peak a line, its position first (2-theta
// in degrees or d in Angstrom), an optional intensity after it; lines that
// start with '#' and blank lines are comments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

struct ListedPeak {
  double position = 0;
  double intensity = 0;  // 0 when not given
};

// Throws QuorlinError "name:LINE: problem" for a line that is not a peak.
std::vector<ListedPeak> ParsePeakList(std::string_view text, const std::string& name);

}  // namespace quorlin
