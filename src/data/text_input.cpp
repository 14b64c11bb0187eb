#include "data/text_input.h"

#include <cstdio>
#include <iterator>
#include <sstream>

namespace quorlin {

namespace {

// Editors on Windows start UTF-8 text with a byte-order mark; it is not
// part of the first line.
void DropByteOrderMark(std::string& text) {
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
}

}  // namespace

TextLines::TextLines(std::istream& in) {
  // Sized once when the stream can tell its length, then read in pieces:
  // one copy of a large file, not three.
  const std::istream::pos_type start = in.tellg();
  if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
    const std::istream::pos_type end = in.tellg();
    in.seekg(start);
    if (end != std::istream::pos_type(-1) && end > start) text_.reserve(static_cast<std::size_t>(end - start));
  }
  in.clear(in.rdstate() & ~std::ios::failbit);
  char piece[1 << 16];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) text_.append(piece, static_cast<std::size_t>(in.gcount()));
  DropByteOrderMark(text_);
}

TextLines::TextLines(std::string text) : text_(std::move(text)) { DropByteOrderMark(text_); }

// The line starting at pos, and where the one after it starts.
std::string_view TextLines::LineAt(std::size_t pos, std::size_t& next) const {
  // A plain scan: find_first_of looks each character up in the set.
  std::size_t end = pos;
  const std::size_t size = text_.size();
  while (end < size && text_[end] != '\n' && text_[end] != '\r') ++end;
  next = end;
  if (next < text_.size()) {
    if (text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n') ++next;
    ++next;
  }
  return std::string_view(text_).substr(pos, end - pos);
}

bool TextLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  line = LineAt(pos_, pos_);
  ++number_;
  return true;
}

bool TextLines::Peek(std::string_view& line) const {
  if (pos_ >= text_.size()) return false;
  std::size_t next = 0;
  line = LineAt(pos_, next);
  return true;
}

bool TextLines::OnlyBlankLinesLeft() const {
  return IsBlankLine(std::string_view(text_).substr(pos_));
}

std::string SpaceReduce(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::vector<std::string> Fields(std::string_view line) {
  std::string folded(line);
  for (char& c : folded)
    if (c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') c = ' ';
  std::string reduced = SpaceReduce(folded);
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start < reduced.size()) {
    std::size_t end = reduced.find(' ', start);
    if (end == std::string::npos) end = reduced.size();
    fields.emplace_back(reduced.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool IsBlankLine(std::string_view line) {
  for (char c : line)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') return false;
  return true;
}

std::string Quote(std::string_view text) {
  constexpr std::size_t kMax = 60;
  std::string out = "\"";
  std::size_t n = 0;
  for (char c : text) {
    if (n++ == kMax) {
      out += "...";
      break;
    }
    auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace quorlin
