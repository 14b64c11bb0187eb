// Line-by-line text input shared by the data-file readers: the lines of a
// stream whatever its line ends, SpaceReduce and the field split.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace quorlin {

// A stream's text split into lines. LF, CR LF and a lone CR all end a line;
// a missing final line end is no matter. The whole text is held, so a file
// is read completely in one operation and the readers can look ahead.
class TextLines {
 public:
  explicit TextLines(std::istream& in);
  explicit TextLines(std::string text);

  // The next line without its line end; false at the end of the text.
  bool Next(std::string_view& line);
  // The line Next would return, without moving on.
  bool Peek(std::string_view& line) const;
  // 1-based number of the line Next returned last (0 before the first).
  long Number() const { return number_; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  // True when every line still to come is blank.
  bool OnlyBlankLinesLeft() const;
  const std::string& Text() const { return text_; }

 private:
  std::string_view LineAt(std::size_t pos, std::size_t& next) const;
  std::string text_;
  std::size_t pos_ = 0;
  long number_ = 0;
};

// Keeps every character except a space that follows a space, then trims
// leading and trailing spaces. Only the space character counts.
std::string SpaceReduce(std::string_view line);

// The fields of a line: tabs and other control blanks are first turned into
// spaces (real files separate columns with tabs), then SpaceReduce, then a
// split at single spaces. A blank line has no fields.
std::vector<std::string> Fields(std::string_view line);

// True when the line holds nothing but blanks (spaces, tabs, CR).
bool IsBlankLine(std::string_view line);

// The line with control characters shown as \xNN and cut to a readable
// length, for quoting found text in a message.
std::string Quote(std::string_view text);

}  // namespace quorlin
