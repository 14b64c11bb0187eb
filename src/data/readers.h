// The measured-pattern readers and the x-y writer.
//
// Every reader parses the whole text into a scratch copy of the data set and
// commits it only at the end, so a file that is refused (FormatError,
// "file:line: what was expected, what was found") leaves the CData exactly
// as it was. An import overwrites the fields its format sets and leaves the
// others (a CHI import keeps the calibration and the source lines).
//
// Common to all: LF, CR LF or CR line ends, tabs between fields, trailing
// blanks and a missing final line end are accepted. Intensities are kept as
// read (double). A file that ends before its announced number of points
// gives the points present (and a note saying so); a file with no points at
// all is refused.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "core/messages.h"
#include "data/data.h"

namespace quorlin {

// Facts about the file worth telling the user, beyond the data itself (the
// first of several detector elements read, rows missing, ...).
using ReadNotes = std::vector<std::string>;

// GSAS powder data: the first bank, with constant-step binning ("CONST" or
// "CONS") in STD, ESD or FXYE records, or "EDS" energy-dispersive binning.
// Based on the GSAS manual's description of the raw-data file (80-column
// records, BANK line, BINTYP and record TYPE). Time-of-flight banks are
// refused: they have no 2-theta axis. A record count that does not fit the
// channel count is shown through `messages` and the file is read anyway.
ReadNotes OpenGSAS(std::istream& in, const std::string& fileName, CData& data, IMessages* messages = nullptr);

// Sietronics CPI: a ten-line header (start, end and step angle, tube name,
// wavelength, ..., "SCANDATA") and one count per line. The tube name chooses
// the primary source line; a custom tube's wavelength goes to the first free
// custom line slot.
ReadNotes OpenCDI(std::istream& in, const std::string& fileName, CData& data, IMessages* messages = nullptr);

// Fit2D / Dioptas CHI: title and two axis captions, a line holding only the
// number of points, then "x y" rows (chiplot's "x, y" too).
ReadNotes OpenCHI(std::istream& in, const std::string& fileName, CData& data, IMessages* messages = nullptr);

// EPICS MCA / MED ASCII spectra: "KEYWORD: value..." header lines up to
// "DATA:", then one row per channel. Multi-element files hold one value per
// element on every line; the first element is read.
ReadNotes OpenOstrelMCA(std::istream& in, const std::string& fileName, CData& data, IMessages* messages = nullptr);

// Two- or three-column text (x in degrees 2-theta, y, optional esd) as
// integration programs write it and as WriteXY exports it. Lines starting
// with '#' or '\'' are skipped, and so are header lines before the data
// whose first field is not a number.
ReadNotes OpenXY(std::istream& in, const std::string& fileName, CData& data, IMessages* messages = nullptr);

// Energy of a (fractional) channel from the data's own calibration, Ch^2
// formed in double precision and the result rounded to single.
float EnergyFromCalibration(const CData& data, double channel);

// One line per channel: x then intensity, each padded on the right to 8
// characters, CR LF. x is the general single format (7 significant digits):
// the stored 2-theta for angle data, the energy of the channel for energy
// data (from `energyFromChannel`, the plot's conversion, or else from the
// data's calibration). An integral intensity is written as a decimal
// integer, a fractional one in the general format. Nothing is written when
// DataType is neither "Angle" nor "Energy".
void WriteXY(std::ostream& out, const CData& data, const std::function<float(float)>& energyFromChannel = {});

}  // namespace quorlin
