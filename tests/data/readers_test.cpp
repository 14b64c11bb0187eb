#include "data/readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "core/errors.h"
#include "data/text_input.h"

using namespace quorlin;

namespace {

using Reader = ReadNotes (*)(std::istream&, const std::string&, CData&, IMessages*);

ReadNotes Read(Reader reader, const std::string& text, CData& data, IMessages* messages = nullptr) {
  std::istringstream in(text);
  return reader(in, "test.dat", data, messages);
}

// A data set whose every field differs from what any reader sets, to see
// that a refusal leaves it alone.
CData Sentinel() {
  CData d;
  d.DataType = "Energy";
  d.SetPattern({1, 2, 3}, {7, 8, 9});
  d.Lower = 1;
  d.Upper = 3;
  d.edsCAL_SLOPE = 0.5f;
  d.TubeType = "W";
  d.PrimaryLine = 8;
  d.SetLineExists(8, true);
  return d;
}

bool SameData(const CData& a, const CData& b) {
  bool lines = true;
  for (int i = 0; i <= 20; ++i)
    lines = lines && a.Lambda(i) == b.Lambda(i) && a.LineExists(i) == b.LineExists(i) &&
            a.SourceIntensity(i) == b.SourceIntensity(i);
  return lines && a.DataType == b.DataType && a.XValues() == b.XValues() && a.Intensities() == b.Intensities() &&
         a.Lower == b.Lower && a.Upper == b.Upper && a.edsCAL_OFFSET == b.edsCAL_OFFSET &&
         a.edsCAL_SLOPE == b.edsCAL_SLOPE && a.edsCAL_QUAD == b.edsCAL_QUAD && a.edsTWO_THETA == b.edsTWO_THETA &&
         a.TubeType == b.TubeType && a.PrimaryLine == b.PrimaryLine;
}

// Expects a refusal whose message starts with "test.dat:line:" (or
// "test.dat:" when line is 0) and leaves the data set as it was.
void ExpectRefused(Reader reader, const std::string& text, long line, const std::string& why) {
  CData d = Sentinel();
  try {
    Read(reader, text, d);
    ADD_FAILURE() << why << ": not refused";
  } catch (const FormatError& e) {
    EXPECT_EQ(e.file(), "test.dat") << why;
    if (line >= 0) {
      EXPECT_EQ(e.line(), line) << why << ": " << e.what();
    }
    EXPECT_FALSE(e.problem().empty()) << why;
  }
  EXPECT_TRUE(SameData(d, Sentinel())) << why;
}

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line;
  return s;
}

// A GSAS STD record of ten counts, each in an 8-column item whose first
// two columns are a counter field.
std::string StdRecord(int firstValue) {
  std::string s;
  for (int j = 0; j < 10; ++j) {
    char item[16];
    std::snprintf(item, sizeof item, " 1%6d", firstValue + j);
    s += item;
  }
  return s + "\n";
}

}  // namespace

TEST(TextInput, LinesAndFields) {
  TextLines lines(std::string("a\r\nb\rc\n\nd"));
  std::string_view l;
  std::vector<std::string> got;
  while (lines.Next(l)) got.emplace_back(l);
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "", "d"}));
  EXPECT_EQ(lines.Number(), 5);
  TextLines bom(std::string("\xEF\xBB\xBF" "1 2\n"));
  ASSERT_TRUE(bom.Next(l));
  EXPECT_EQ(l, "1 2");  // a UTF-8 byte-order mark is not text

  EXPECT_EQ(SpaceReduce("  a   b c  "), "a b c");
  EXPECT_EQ(SpaceReduce("a\t\tb"), "a\t\tb");  // only spaces count
  EXPECT_EQ(Fields(" DIHKL:   3.024  \t     2 \t1\r"), (std::vector<std::string>{"DIHKL:", "3.024", "2", "1"}));
  EXPECT_TRUE(Fields(" \t ").empty());
  EXPECT_EQ(Quote(std::string("a\0b", 3)), "\"a\\x00b\"");
}

TEST(GsasReader, StdRecordsRangeAndNoTitle) {
  // start 500 centidegrees, step 2, 4251 channels: Lower 5, Upper
  // floor(90.0 + 0.95) = 90 (worked by hand from the range formula).
  std::string body = Repeat(StdRecord(100), 425) + " 1   777\n";
  std::string text = "BANK 1 4251 426 CONST 500 2 0 0 STD\n" + body;
  CData d;
  RecordingMessages msgs;
  EXPECT_TRUE(Read(OpenGSAS, text, d, &msgs).empty());
  EXPECT_TRUE(msgs.shown.empty());
  ASSERT_EQ(d.NChan(), 4251);
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_EQ(d.Lower, 5);
  EXPECT_EQ(d.Upper, 90);
  EXPECT_EQ(d.Intensity(0), 100);
  EXPECT_EQ(d.Intensity(9), 109);
  EXPECT_EQ(d.Intensity(4250), 777);
  EXPECT_FLOAT_EQ(d.TwoTheta(1), 5.02f);
  EXPECT_FLOAT_EQ(d.TwoTheta(4250), 90.0f);

  // Step 2.1: floor(94.25 + 0.95) = 95; a title line before the bank.
  CData e;
  Read(OpenGSAS, "Some title\nBANK 1 4251 426 CONST 500 2.1 0 0 STD\n" + body, e);
  EXPECT_EQ(e.Upper, 95);
  EXPECT_FLOAT_EQ(e.TwoTheta(10), 5.21f);

  // CR LF line ends, tabs in the bank line and no final newline read alike.
  std::string crlf = "Title\r\nBANK\t1 4251 426 CONST 500 2 0 0 STD\r\n";
  for (int i = 0; i < 425; ++i) crlf += StdRecord(100).substr(0, 80) + "\r\n";
  crlf += " 1   777";
  CData c;
  Read(OpenGSAS, crlf, c);
  EXPECT_EQ(c.Intensities(), d.Intensities());
  EXPECT_EQ(c.XValues(), d.XValues());
}

TEST(GsasReader, RecordTypeInferenceAndCountMessages) {
  // 12 channels: STD needs (12+9) div 10 = 2 records, ESD (12+4) div 5 = 3.
  const std::string esd = "  100.50    10.0  200.25    14.1  300.00    17.3  400.00    20.0  500.00    22.3\n";
  const std::string esdBody = esd + esd + esd;
  CData d;
  RecordingMessages msgs;
  Read(OpenGSAS, "t\nBANK 1 12 3 CONST 1000 5 0 0\n" + esdBody, d, &msgs);
  EXPECT_TRUE(msgs.shown.empty());
  ASSERT_EQ(d.NChan(), 12);
  EXPECT_EQ(d.Intensity(0), 100.5);  // fractional counts are kept
  EXPECT_EQ(d.Intensity(1), 200.25);
  EXPECT_EQ(d.Intensity(11), 200.25);

  // Neither count fits: STD.
  Read(OpenGSAS, "t\nBANK 1 12 7 CONST 1000 5 0 0\n" + StdRecord(1) + StdRecord(11), d, &msgs);
  EXPECT_EQ(d.Intensity(11), 12);
  EXPECT_TRUE(msgs.shown.empty());

  // Declared STD with a wrong count: message, read anyway.
  Read(OpenGSAS, "t\nBANK 1 12 5 CONST 1000 5 0 0 STD\n" + StdRecord(1) + StdRecord(11), d, &msgs);
  ASSERT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(msgs.shown[0], "NRec not equal to m_NChan/10 rounded up");
  EXPECT_EQ(d.NChan(), 12);
  msgs.shown.clear();
  Read(OpenGSAS, "t\nBANK 1 12 2 CONST 1000 5 0 0 ESD\n" + esdBody, d, &msgs);
  ASSERT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(msgs.shown[0], "NRec not equal to m_NChan/5 rounded up");
  EXPECT_EQ(d.Intensity(5), 100.5);
}

TEST(GsasReader, EnergyFxyeAndPreambles) {
  CData d;
  d.edsTWO_THETA = 9;
  Read(OpenGSAS, "t\nBANK 1 12 2 EDS 0 0.5 0.01 0.0001 STD\n" + StdRecord(1) + StdRecord(11), d);
  EXPECT_EQ(d.DataType, "Energy");
  EXPECT_EQ(d.Lower, 0);
  EXPECT_EQ(d.Upper, 12);
  EXPECT_EQ(d.TwoTheta(7), 7);
  EXPECT_EQ(d.edsTWO_THETA, 5);
  EXPECT_EQ(d.edsCAL_OFFSET, 0.5f);
  EXPECT_EQ(d.edsCAL_SLOPE, 0.01f);
  EXPECT_EQ(d.edsCAL_QUAD, 0.0001f);

  // Comment and monitor lines before the bank, BANK 2, CONS and FXYE rows
  // with x in centidegrees; the next bank ends the data.
  const std::string fxye =
      "title\nMonitor: 1\n# comment\nBANK 2 3 3 CONS 50.0 0.1 0 0 FXYE\n 50.0 142.5 17.5 \n"
      "\t50.1\t103.25\t15.0\n 50.2 1.5e2 16\nBANK 3 3 3 CONS 1 1 0 0 FXYE\n 1 1 1\n";
  ReadNotes notes = Read(OpenGSAS, fxye, d);
  ASSERT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_FLOAT_EQ(d.TwoTheta(1), 0.501f);
  EXPECT_EQ(d.Intensity(1), 103.25);
  EXPECT_EQ(d.Intensity(2), 150);
  EXPECT_FLOAT_EQ(d.Lower, 0.5f);
  EXPECT_EQ(d.Upper, 1);
  EXPECT_TRUE(notes.empty());
}

TEST(GsasReader, ShortFilesAndRefusals) {
  // Ends after 13 of 25 channels; the short last record holds 3 values.
  CData d;
  ReadNotes notes = Read(OpenGSAS, "t\nBANK 1 25 3 CONST 1000 5 0 0 STD\n" + StdRecord(1) + " 1    11 1    12 1    13\n", d);
  EXPECT_EQ(d.NChan(), 13);
  EXPECT_EQ(d.Intensity(12), 13);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("13"), std::string::npos);
  // A record short of columns inside the data gives 0 for the missing ones.
  Read(OpenGSAS, "t\nBANK 1 12 2 CONST 1000 5 0 0 STD\n 1     1\n" + StdRecord(100), d);
  EXPECT_EQ(d.Intensity(1), 0);
  EXPECT_EQ(d.Intensity(10), 100);

  ExpectRefused(OpenGSAS, "", 0, "empty file");
  ExpectRefused(OpenGSAS, "title\n\nnot a bank\nBANK 1 2 1 CONST 1 1 0 0\n", 3, "line where BANK belongs");
  ExpectRefused(OpenGSAS, "title\n", 1, "no bank line");
  ExpectRefused(OpenGSAS, "t\nBANK 1 2720 680 RALF 81743. 65. 81743. 0.00080 ALT\n 1 2 3\n", 2, "time of flight");
  ExpectRefused(OpenGSAS, "t\nBANK 2 6825 6825 SLOG 6776 103816 0.0004 0 FXYE\n1 2 3\n", 2, "log binning");
  ExpectRefused(OpenGSAS, "t\nBANK 1 12 2 FOO 1 1 0 0\n" + StdRecord(1), 2, "unknown binning");
  ExpectRefused(OpenGSAS, "t\nBANK 1 -5 2 CONST 1000 5 0 0\n" + StdRecord(1), 2, "negative count");
  ExpectRefused(OpenGSAS, "t\nBANK 1 20000000 2000000 CONST 1000 5 0 0\n" + StdRecord(1), 2, "inflated count");
  ExpectRefused(OpenGSAS, "t\nBANK 1 0 0 CONST 1000 5 0 0\n", 2, "no channels");
  ExpectRefused(OpenGSAS, "t\nBANK 1 12 2 CONST 1000 0 0 0\n" + StdRecord(1), 2, "zero step");
  ExpectRefused(OpenGSAS, "t\nBANK 1 12 2 CONST 1000 5 0 0\n\n\n", -1, "no data");
  ExpectRefused(OpenGSAS, "t\nBANK 1 2\n", 2, "truncated bank line");
  ExpectRefused(OpenGSAS, "t\nBANK 1 3 3 CONS 50 0.1 0 0 FXYE\n 50.0 1.0 1\n 50.1 x 1\n", 4, "bad FXYE row");
  ExpectRefused(OpenGSAS, "t\nBANK 1 2 1 CONST 1000 5 0 0 STD\n 1 1e999 1     5\n", 3, "infinite count");

  // Damaged records: a count, a counter field or an esd that is not a
  // number, and a record running on past column 80 (two records whose line
  // end was lost), are refused; read leniently they would give cut-short
  // counts or zeros.
  const std::string bank = "t\nBANK 1 20 2 CONST 1000 5 0 0 STD\n";
  std::string letters = StdRecord(100);
  letters.replace(10, 6, "  1x34");
  ExpectRefused(OpenGSAS, bank + StdRecord(1) + letters, 4, "letters in a count");
  std::string counter = StdRecord(100);
  counter.replace(16, 2, "#\x01");
  ExpectRefused(OpenGSAS, bank + counter + StdRecord(1), 3, "binary bytes in a counter field");
  std::string joined = StdRecord(1);
  joined.pop_back();
  ExpectRefused(OpenGSAS, bank + joined + StdRecord(11), 3, "two records on one line");
  std::string esdBank = "t\nBANK 1 5 1 CONST 1000 5 0 0 ESD\n";
  ExpectRefused(OpenGSAS, esdBank + "  100.50    10.0  200.25    1?.1  300.00    17.3  400.00    20.0  500.00    22.3\n",
                3, "damaged esd");
  ExpectRefused(OpenGSAS, "t\nBANK 1 2 2 CONS 50 0.1 0 0 FXYE\n 50.0 1.0 1\n 50.1 2.0 1z\n", 4, "damaged FXYE esd");
  // The message says what is wrong with the row: a row cut short at the end
  // of a truncated file is no number out of range; an overflowing count is.
  for (const auto& [row, outOfRange] : {std::pair{" 50.1\n", false}, {" 50.1 1e999 1\n", true}}) {
    try {
      Read(OpenGSAS, "t\nBANK 1 2 2 CONS 50 0.1 0 0 FXYE\n 50.0 1.0 1\n" + std::string(row), d);
      ADD_FAILURE() << row << ": not refused";
    } catch (const FormatError& e) {
      EXPECT_EQ(e.problem().find("out of range") != std::string::npos, outOfRange) << e.what();
    }
  }
  // Blank fields, "344." and a zero-padded or short last record still read.
  esdBank.replace(esdBank.find(" 5 1 "), 5, " 2 1 ");
  Read(OpenGSAS, esdBank + "    344.     38.    375.     40.\n", d);
  EXPECT_EQ(d.NChan(), 2);
  EXPECT_EQ(d.Intensity(1), 375);
  Read(OpenGSAS, "t\nBANK 1 2 2 CONS 50 0.1 0 0 FXYE\n 50.0 1.0 NaN\n 50.1 2.0 1\n", d);
  EXPECT_EQ(d.Intensity(1), 2);
}

TEST(CpiReader, PointsFromStartAndStepAndTubeLines) {
  auto header = [](const std::string& start, const std::string& end, const std::string& step,
                   const std::string& tube, const std::string& lambda) {
    return "SIETRONICS XRD SCAN\n" + start + "\n" + end + "\n" + step + "\n" + tube + "\n" + lambda +
           "\n01/01/90\n1.0\nsample\nSCANDATA\n";
  };
  // 10 to 20 degrees in 0.02: round(10/0.02) + 1 = 501 points; adding the
  // step 500 times in single precision would lose the last one.
  std::string text = header("10", "20", "0.02", "Cu", "1.5406");
  for (int i = 0; i < 501; ++i) text += std::to_string(i) + "\n";
  CData d;
  d.SetLineExists(3, true);
  Read(OpenCDI, text, d);
  ASSERT_EQ(d.NChan(), 501);
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_EQ(d.Lower, 10);
  EXPECT_EQ(d.Upper, 20);
  EXPECT_EQ(d.TwoTheta(500), 20.0f);
  EXPECT_EQ(d.Intensity(500), 500);
  EXPECT_EQ(d.TubeType, "Cu");
  EXPECT_EQ(d.PrimaryLine, 0);
  EXPECT_TRUE(d.LineExists(0));
  EXPECT_TRUE(d.LineExists(3));  // other lines are left alone for Cu

  // 5 to 150 in 0.005: no drift; every x within single rounding of 5 + i step.
  std::string longScan = header("5", "150", "0.005", "Mo", "0.7093");
  for (int i = 0; i < 29001; ++i) longScan += "1\n";
  Read(OpenCDI, longScan, d);
  ASSERT_EQ(d.NChan(), 29001);
  double worst = 0;
  for (int i = 0; i < d.NChan(); ++i)
    worst = std::max(worst, std::fabs(d.TwoTheta(i) - (5.0 + i * 0.005)));
  EXPECT_LT(worst, 1e-5);
  // Each angle is the one written, rounded once to single: point 12313 is
  // at 66.565, not at 5 + 12313 x single(0.005) = 66.56499.
  EXPECT_EQ(d.TwoTheta(12313), 66.565f);
  int offByRounding = 0;
  for (int i = 0; i < d.NChan(); ++i) offByRounding += d.TwoTheta(i) != static_cast<float>(5.0 + i * 0.005);
  EXPECT_EQ(offByRounding, 0);
  EXPECT_EQ(d.PrimaryLine, 3);
  EXPECT_TRUE(d.LineExists(3));

  // A custom tube takes the first free custom slot; slots that were on go
  // off, so a second file moves to the next slot and a third comes back.
  std::string co = header("10", "10.04", "0.02", "  Co  ", "1.78897") + "5\n6\n7\n";
  CData c;
  for (int i = 0; i <= 5; ++i) c.SetLineExists(i, true);
  Read(OpenCDI, co, c);
  EXPECT_EQ(c.TubeType, "Co");
  for (int i = 0; i <= 5; ++i) EXPECT_FALSE(c.LineExists(i)) << i;
  EXPECT_EQ(c.PrimaryLine, 6);
  EXPECT_TRUE(c.LineExists(6));
  EXPECT_EQ(c.Lambda(6), 1.78897f);
  EXPECT_EQ(c.SourceIntensity(6), 1.0f);
  Read(OpenCDI, co, c);
  EXPECT_EQ(c.PrimaryLine, 7);
  EXPECT_FALSE(c.LineExists(6));
  EXPECT_TRUE(c.LineExists(7));
  Read(OpenCDI, co, c);
  EXPECT_EQ(c.PrimaryLine, 6);
  EXPECT_FALSE(c.LineExists(7));
  // Every custom slot on: all go off and line 0 becomes primary.
  for (int i = 6; i <= 9; ++i) c.SetLineExists(i, true);
  Read(OpenCDI, co, c);
  EXPECT_EQ(c.PrimaryLine, 0);
  EXPECT_TRUE(c.LineExists(0));
  for (int i = 6; i <= 9; ++i) EXPECT_FALSE(c.LineExists(i)) << i;

  // The file ends early: the points present, with a note.
  ReadNotes notes = Read(OpenCDI, header("10", "20", "0.02", "Cu", "1.54") + "1\n2\n\n", d);
  EXPECT_EQ(d.NChan(), 2);
  EXPECT_EQ(notes.size(), 1u);

  std::string noMarker = header("10", "20", "0.02", "Cu", "1.54");
  noMarker.replace(noMarker.find("SCANDATA"), 8, "DATA");
  ExpectRefused(OpenCDI, noMarker + "1\n", 10, "no SCANDATA");
  ExpectRefused(OpenCDI, "SIETRONICS\n10\n20\n", 3, "header cut short");
  ExpectRefused(OpenCDI, header("10", "20", "0", "Cu", "1.54") + "1\n", 4, "zero step");
  ExpectRefused(OpenCDI, header("20", "10", "0.02", "Cu", "1.54") + "1\n", 3, "end below start");
  ExpectRefused(OpenCDI, header("0", "1e9", "0.0001", "Cu", "1.54") + "1\n", 4, "inflated scan");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Co", "0") + "1\n", 6, "custom tube without wavelength");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Cu", "1.54") + "1\nabc\n", 12, "garbage count");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Cu", "1.54") + "1\n2\n3\x01\n", 13, "damaged count");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Cu", "1.54") + "1\n12 34\n", 12, "two counts on a line");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Cu", "1.54") + "1\n\n2\n", 12, "blank line inside data");
  ExpectRefused(OpenCDI, header("10", "20", "0.02", "Cu", "1.54"), -1, "no points");
}

TEST(ChiReader, CountLineRowsAndRefusals) {
  const std::string text =
      "C:\\data\\LaB6.tif\r\n2-Theta Angle (Degrees)\r\n\r\n   1500   \r\n"
      " 1.0486433E-02  2.7862846E+01\r\n\t3.1459302E-02\t-2.5E+00\r\n 5.0e-02  30";
  CData d = Sentinel();
  ReadNotes notes = Read(OpenCHI, text, d);
  ASSERT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_FLOAT_EQ(d.TwoTheta(0), 1.0486433e-2f);
  EXPECT_DOUBLE_EQ(d.Intensity(0), 27.862846);
  EXPECT_EQ(d.Intensity(1), -2.5);
  EXPECT_EQ(d.Lower, d.TwoTheta(0));
  EXPECT_EQ(d.Upper, 0.05f);  // the last x read, not the announced count's
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("1500"), std::string::npos);
  EXPECT_EQ(d.edsCAL_SLOPE, 0.5f);  // calibration and source lines untouched
  EXPECT_EQ(d.TubeType, "W");

  // chiplot separates with commas.
  Read(OpenCHI, "Figure 1\nX\nY\n2\n1, 5e-2\n2., 5.9e-2\n", d);
  EXPECT_EQ(d.NChan(), 2);
  EXPECT_EQ(d.TwoTheta(1), 2);
  EXPECT_EQ(d.Intensity(1), 5.9e-2);

  ExpectRefused(OpenCHI, "", 0, "empty");
  ExpectRefused(OpenCHI, "title\nx\ny\n1500 points\n1 2\n2 3\n", 0, "count with a word");
  ExpectRefused(OpenCHI, "# chi_2theta chi_I\n0.64 30.6\n0.65 29.8\n", 0, "two-column text");
  ExpectRefused(OpenCHI, "#  k   chi\n  0.000000    0.552489\n  0.050000    0.502926\n", 0, "XAFS chi(k)");
  ExpectRefused(OpenCHI, "t\nx\ny\n3\n1 2\n2 abc\n3 4\n", 6, "bad intensity");
  ExpectRefused(OpenCHI, "t\nx\ny\n3\n1 2\n2,\n3 4\n", 6, "row without intensity");
  ExpectRefused(OpenCHI, "t\nx\ny\n3\n1 2\n1e99 4\n", 6, "x beyond single");
  ExpectRefused(OpenCHI, "t\nx\ny\n-3\n1 2\n", 4, "negative count");
  ExpectRefused(OpenCHI, "t\nx\ny\n99999999\n1 2\n", 4, "inflated count");
  ExpectRefused(OpenCHI, "t\nx\ny\n2.5\n1 2\n", 4, "fractional count");
  ExpectRefused(OpenCHI, "t\nx\ny\n1e999\n1 2\n", 4, "count beyond any number");
}

TEST(McaReader, HeaderDataAndRefusals) {
  const std::string text =
      "VERSION:    3.1\nELEMENTS:   2\nCAL_SLOPE:   1.4799390e-002 1.47e-002\nCHANNELS:   4\n"
      "ROI_0_LEFT: 10 10\nCAL_OFFSET: -2.5184151e-002 -2.2e-002\nCAL_QUAD:    1.2e-008 0\nDATA: \n"
      " 10 1\n 11 2\n\t12\t3\n 13 4\n";
  CData d;
  d.edsTWO_THETA = 7.5f;
  ReadNotes notes = Read(OpenOstrelMCA, text, d);
  ASSERT_EQ(d.NChan(), 4);
  EXPECT_EQ(d.DataType, "Energy");
  EXPECT_EQ(d.Intensity(2), 12);
  EXPECT_EQ(d.TwoTheta(3), 3);
  EXPECT_EQ(d.Lower, 0);
  EXPECT_EQ(d.Upper, 3);
  EXPECT_EQ(d.edsCAL_SLOPE, 1.4799390e-2f);
  EXPECT_EQ(d.edsCAL_OFFSET, -2.5184151e-2f);
  EXPECT_EQ(d.edsCAL_QUAD, 1.2e-8f);
  EXPECT_EQ(d.edsTWO_THETA, 7.5f);  // no TWO_THETA line: unchanged
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find("2 detector elements"), std::string::npos);
  EXPECT_NE(notes[1].find("TWO_THETA"), std::string::npos);

  // A count of 2048 (and channel counts past 16 bits); ends early: keeps what
  // was read and Upper is the last channel stored.
  notes = Read(OpenOstrelMCA, "TWO_THETA: 6.5\nCHANNELS: 40000\nDATA:\n5\n6\n7\n", d);
  EXPECT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.Upper, 2);
  EXPECT_EQ(d.edsTWO_THETA, 6.5f);
  EXPECT_EQ(notes.size(), 1u);

  ExpectRefused(OpenOstrelMCA, "", 0, "empty");
  ExpectRefused(OpenOstrelMCA, "CHANNELS:\nDATA:\n1\n", 1, "keyword without value");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 2\nCAL_SLOPE: 1.2.3\nDATA:\n1\n", 2, "bad calibration");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 2\nTWO_THETA: 1e40\nDATA:\n1\n", 2, "angle beyond single");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 2\nDATA:\n1\nx2\n", 4, "bad count");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 2\n1\n2\n", -1, "no DATA line");
  ExpectRefused(OpenOstrelMCA, "CAL_SLOPE: 1\nDATA:\n1\n", -1, "no CHANNELS line");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: -1\nDATA:\n1\n", 1, "negative count");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 10000001\nDATA:\n1\n", 1, "inflated count");
  ExpectRefused(OpenOstrelMCA, "CHANNELS: 2\nDATA:\n", 2, "no counts");
  ExpectRefused(OpenOstrelMCA, std::string("\x01\x02\0\0binary\xff", 11), -1, "binary");
}

TEST(XyReader, ColumnsCommentsAndRefusals) {
  const std::string text =
      "'Id: \"\" Anode: Cu\n# 2th_deg\tI\n2theta intensity esd\n7.315 -0.023 NaN\r\n7.32\t0.5\t0.01  \n"
      "\n7.325 1e-3\n";
  CData d = Sentinel();
  Read(OpenXY, text, d);
  ASSERT_EQ(d.NChan(), 3);
  EXPECT_EQ(d.DataType, "Angle");
  EXPECT_EQ(d.Intensity(0), -0.023);
  EXPECT_EQ(d.Intensity(2), 1e-3);
  EXPECT_EQ(d.Lower, 7.315f);
  EXPECT_EQ(d.Upper, 7.325f);
  EXPECT_EQ(d.TubeType, "W");

  ExpectRefused(OpenXY, "", 0, "empty");
  ExpectRefused(OpenXY, "# only comments\n", -1, "no rows");
  ExpectRefused(OpenXY, "1 2\n3\n", 2, "one column");
  ExpectRefused(OpenXY, "1 2\n3 x\n", 2, "bad y");
  ExpectRefused(OpenXY, "1 2\nfooter text\n", 2, "text after the data");
  ExpectRefused(OpenXY, "1 2 esd?\n", 1, "bad esd");
  ExpectRefused(OpenXY, "1 NaN\n", 1, "NaN intensity");
  // Only one line of text before the data: an MCA spectrum's keyword header
  // or a GSAS title and BANK line is not a column header, and their numbers
  // are counts, not x y pairs.
  ExpectRefused(OpenXY, "VERSION: 3.1\nELEMENTS: 2\nCHANNELS: 2\nDATA:\n12 13\n14 15\n", 2, "MCA header");
  ExpectRefused(OpenXY, "PbSO4 data\nBANK 1 20 2 CONST 1000 5 0 0 STD\n" + StdRecord(1), 2, "GSAS title and bank");
}

TEST(XyWriter, LayoutAndRoundTrip) {
  CData d;
  d.SetPattern({12.5f, 5.0f, 123.4567f, 0.1f}, {340, 2.5, -7, 0.0123456789});
  std::ostringstream out;
  WriteXY(out, d);
  EXPECT_EQ(out.str(),
            "12.5    340     \r\n"
            "5       2.5     \r\n"
            "123.4567 -7      \r\n"  // 8 characters still get a separating blank
            "0.1     0.01234568\r\n");

  // Write, read back with the xy reader: the same pattern to 7 digits.
  CData big;
  std::vector<float> x;
  std::vector<double> y;
  for (int i = 0; i < 2000; ++i) {
    x.push_back(5.0f + 0.01f * i);
    y.push_back(i % 3 == 0 ? i : -0.001 * i);
  }
  big.SetPattern(x, y);
  std::ostringstream written;
  WriteXY(written, big);
  CData back;
  std::istringstream in(written.str());
  OpenXY(in, "back.xy", back, nullptr);
  ASSERT_EQ(back.NChan(), 2000);
  for (int i = 0; i < 2000; ++i) {
    EXPECT_NEAR(back.TwoTheta(i), x[i], 1e-6 * x[i]) << i;
    if (i % 3 == 0)
      EXPECT_EQ(back.Intensity(i), y[i]) << i;  // integral counts exactly
    else
      EXPECT_NEAR(back.Intensity(i), y[i], 1e-6 * std::fabs(y[i])) << i;
  }

  // Energy data: x is the energy of the channel, from the calibration
  // E = 0.1 + 0.05 c + 0.001 c^2 (c = 2: 0.204) or the plot's conversion.
  CData e;
  e.DataType = "Energy";
  e.SetPattern({0, 2}, {1, 2});
  e.edsCAL_OFFSET = 0.1f;
  e.edsCAL_SLOPE = 0.05f;
  e.edsCAL_QUAD = 0.001f;
  std::ostringstream energy;
  WriteXY(energy, e);
  EXPECT_EQ(energy.str(), "0.1     1       \r\n0.204   2       \r\n");
  std::ostringstream viaPlot;
  WriteXY(viaPlot, e, [](float ch) { return 10 + ch; });
  EXPECT_EQ(viaPlot.str(), "10      1       \r\n12      2       \r\n");

  e.DataType = "Other";
  std::ostringstream none;
  WriteXY(none, e);
  EXPECT_TRUE(none.str().empty());
}

namespace {

// The refusal's problem text, after checking file, line and the untouched data.
std::string RefusalText(Reader reader, const std::string& text, long line, const std::string& why) {
  CData d = Sentinel();
  std::string problem;
  try {
    Read(reader, text, d);
    ADD_FAILURE() << why << ": not refused";
  } catch (const FormatError& e) {
    EXPECT_EQ(e.line(), line) << why << ": " << e.what();
    problem = e.problem();
  }
  EXPECT_TRUE(SameData(d, Sentinel())) << why;
  return problem;
}

const std::string kCpiTail = "Cu\n1.54\n01/01/90\n1.0\nsample\nSCANDATA\n1\n2\n3\n";

}  // namespace

TEST(Axes, EveryReaderRefusesAnAxisThatIsNotFiniteOrDoesNotIncrease) {
  // Each case gives, through its start, step, calibration or rows, x values
  // that overflow a Single (above about 3.4e38) or that stand still: the
  // values worked by hand are in the comments.
  struct Case {
    Reader reader;
    std::string text;
    long line;
    const char* problem;  // a word the message must hold
    const char* why;
  };
  const std::string rec = StdRecord(1);
  const Case cases[] = {
      // 1000 + i * 1e38 centidegrees: point 341 is 3.4e38 degrees.
      {OpenGSAS, "t\nBANK 1 400 40 CONST 1000 1e38 0 0 STD\n" + Repeat(rec, 40), 2, "not finite", "GSAS huge step"},
      // 1e18 degrees + 0.025 i: all the same Single.
      {OpenGSAS, "t\nBANK 1 20 2 CONST 1e20 2.5 0 0 STD\n" + rec + rec, 2, "increase", "GSAS huge start"},
      {OpenGSAS, "t\nBANK 1 20 2 CONST 1e39 2.5 0 0 STD\n" + rec + rec, 2, "start", "GSAS start beyond Single"},
      // EDS: 3e38 * 4 overflows at channel 2.
      {OpenGSAS, "t\nBANK 1 10 1 EDS 0 0 0.01 3e38 STD\n" + rec, 2, "not finite", "GSAS EDS quadratic"},
      {OpenGSAS, "t\nBANK 1 10 1 EDS 0 0 0 0 STD\n" + rec, 2, "increase", "GSAS EDS without slope"},
      {OpenGSAS, "t\nBANK 1 3 3 CONS 50 0.1 0 0 FXYE\n 50.0 1 1\n 49.9 2 1\n 50.2 3 1\n", 4, "increase",
       "FXYE row going back"},
      {OpenOstrelMCA, "CHANNELS: 4\nCAL_SLOPE: 0.01\nCAL_QUAD: 3e38\nDATA:\n1\n2\n3\n4\n", 3, "not finite",
       "MCA quadratic"},
      {OpenOstrelMCA, "CHANNELS: 4\nCAL_OFFSET: 1\nCAL_SLOPE: -0.01\nDATA:\n1\n2\n3\n4\n", 3, "increase",
       "MCA falling energies"},
      {OpenOstrelMCA, "CHANNELS: 2\nCAL_SLOPE: 0\nDATA:\n1\n2\n", 2, "increase", "MCA without slope"},
      // 1e10 + i: Singles near 1e10 lie 1024 apart, so all 11 points are one value.
      {OpenCDI, "S\n1e10\n10000000010\n1\n" + kCpiTail, 4, "increase", "CPI start swamps step"},
      {OpenCHI, "t\nx\ny\n3\n1 2\n1 3\n2 4\n", 6, "increase", "CHI repeated x"},
      {OpenCHI, "t\nx\ny\n3\n2 2\n1 3\n3 4\n", 6, "increase", "CHI falling x"},
      {OpenXY, "10 1\n10.1 2\n10.05 3\n", 3, "increase", "xy falling x"},
      // Two Singles that differ but print alike in 7 digits.
      {OpenXY, "10 1\n10.000001 2\n", 2, "increase", "xy x apart only beyond 7 digits"},
      {OpenXY, "1e38 1\n3e38 2\n1e39 3\n", 3, "out of range", "xy x beyond Single"},
      // 10^400 written without an exponent is as far out of range as 1e400.
      {OpenXY, "10.1 1" + std::string(400, '0') + "\n", 1, "out of range", "xy y of 400 digits"},
  };
  for (const auto& c : cases) {
    std::string problem = RefusalText(c.reader, c.text, c.line, c.why);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.why << ": " << problem;
  }
}

TEST(Axes, DecimalCommasAreRefusedAndNamed) {
  struct Case {
    Reader reader;
    std::string text;
    long line;
    const char* why;
  };
  const std::string rec = StdRecord(1);
  const Case cases[] = {
      // Read leniently the step would be 2 and the axis would end at 130 instead of 160 degrees.
      {OpenGSAS, "t\nBANK 1 10 1 CONST 1000 2,5 0 0 STD\n" + rec, 2, "GSAS step"},
      {OpenGSAS, "t\nBANK 1 10 1 CONST 1000,5 2 0 0 STD\n" + rec, 2, "GSAS start"},
      {OpenGSAS, "t\nBANK 1 10 1 EDS 0 0,1 0.01 0 STD\n" + rec, 2, "GSAS EDS calibration"},
      {OpenGSAS, "t\nBANK 1 2 2 CONS 50 0.1 0 0 FXYE\n 50,0 1 1\n 50,1 2 1\n", 3, "FXYE row"},
      // Split at the commas it would read as x = 10, 11, ... with the decimals as y.
      {OpenCHI, "t\nx\ny\n2\n10,1 200,5\n11,1 201,5\n", 5, "CHI row"},
      {OpenCDI, "S\n10,5\n20\n0.02\n" + kCpiTail, 2, "CPI start"},
      {OpenCDI, "S\n10\n20\n0.02\nCo\n1,79\n01/01/90\n1.0\nsample\nSCANDATA\n1\n", 6, "CPI wavelength"},
      {OpenOstrelMCA, "CHANNELS: 2\nCAL_SLOPE: 0,01\nDATA:\n1\n2\n", 2, "MCA calibration"},
      {OpenXY, "10.0 100\n10,1 200\n", 2, "xy x"},
  };
  for (const auto& c : cases) {
    std::string problem = RefusalText(c.reader, c.text, c.line, c.why);
    EXPECT_NE(problem.find("decimal comma"), std::string::npos) << c.why << ": " << problem;
  }
  // chiplot's "x, y" (comma and blank) is still a separator; a third field is not data.
  CData d;
  Read(OpenCHI, "t\nx\ny\n2\n1, 5\n2.,6\n", d);
  EXPECT_EQ(d.NChan(), 2);
  EXPECT_EQ(d.Intensity(1), 6);
  ExpectRefused(OpenCHI, "t\nx\ny\n2\n10.1 200\n10.2 200 junk\n", 6, "CHI row with a third field");
}

TEST(CpiReader, CountsThePointsAtOrBelowTheEnd) {
  // Points lie at start + i step; those not above the end count. Worked by
  // hand: 10 + 3 x 0.2 = 10.6 lies past 10.55, so 10.0 .. 10.4 is 3 points.
  struct Case {
    const char *start, *end, *step;
    int points;
  };
  const Case cases[] = {
      {"10", "10.55", "0.2", 3},  // 10, 10.2, 10.4 (10.6 is past the end)
      {"10", "10.6", "0.2", 4},   // the end itself counts, though 0.6/0.2 is 2.9999999999999996
      {"10", "70", "0.02", 3001}, // 60/0.02 = 2999.9999999999995 in doubles
      {"10", "10.19", "0.2", 1},
      {"5", "5", "0.01", 1},
  };
  for (const auto& c : cases) {
    std::string text = std::string("S\n") + c.start + "\n" + c.end + "\n" + c.step + "\n" +
                       "Cu\n1.54\n01/01/90\n1.0\nsample\nSCANDATA\n";
    for (int i = 0; i < c.points + 2; ++i) text += "1\n";
    CData d;
    Read(OpenCDI, text, d);
    EXPECT_EQ(d.NChan(), c.points) << c.start << " to " << c.end << " by " << c.step;
    EXPECT_LE(d.TwoTheta(d.NChan() - 1), std::stof(c.end) + 1e-5f) << c.end;
  }
}
