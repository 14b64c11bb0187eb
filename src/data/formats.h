// The registry of measured-pattern formats, in the order files are sniffed:
// the specific formats first, the plain two-column text last. The same table
// gives the import dialogs their filters and the command line its --type.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "data/data.h"
#include "data/readers.h"

namespace quorlin {

struct DataFormat {
  std::string name;                     // "gsa", "cpi", "chi", "mca", "xy"
  std::string description;              // "GSAS", "Sietronics CPI", ...
  std::vector<std::string> extensions;  // lower case, without the dot
  std::string filter;                   // dialog filter text, "" for none
  std::string pattern;                  // its pattern, "*.gsa"
  // Sniffs the start of a file (up to kHeadSize bytes): true when it looks
  // like this format. Cheap and never throws.
  bool (*check)(std::string_view head);
  ReadNotes (*read)(std::istream& in, const std::string& fileName, CData& data, IMessages* messages);
};

inline constexpr std::size_t kHeadSize = 64 * 1024;

// The GSAS open dialog's filter: the extensions GSAS files really carry, in
// lower and in upper case, since file dialogs on Linux match case-sensitively.
inline constexpr const char* kGsasDialogFilter =
    "GSAS Data Files (*.gsa *.gsas *.gss *.fxye *.xra *.raw *.gda *.cwn "
    "*.GSA *.GSAS *.GSS *.FXYE *.XRA *.RAW *.GDA *.CWN)";
inline constexpr const char* kGsasDialogPattern =
    "*.gsa;*.gsas;*.gss;*.fxye;*.xra;*.raw;*.gda;*.cwn;*.GSA;*.GSAS;*.GSS;*.FXYE;*.XRA;*.RAW;*.GDA;*.CWN";

const std::vector<DataFormat>& DataFormats();
// By name ("gsa", ...), or nullptr.
const DataFormat* FindDataFormat(std::string_view name);

// The format to read a file with when the user names none. A file whose
// extension belongs to formats goes to the first of them that accepts its
// content, else to the first of them (whose reader then says what is wrong);
// other files (and ".dat" files no format accepts by extension) go to the
// first format in registry order that accepts the content. nullptr when
// nothing fits.
const DataFormat* GuessDataFormat(const std::string& fileName, std::string_view head);

// Reads a file with the named format ("" = guess). Throws FormatError naming
// the file when it cannot be opened, its format is unknown, or the reader
// refuses it; `data` is then unchanged.
ReadNotes ReadDataFile(const std::string& path, std::string_view format, CData& data, IMessages* messages = nullptr);

// The largest file read: ten million points of x-y text with an esd
// column fit well inside it.
inline constexpr std::size_t kMaxFileSize = std::size_t{512} << 20;

// The whole content of a file; throws FormatError when it cannot be read or
// is larger than maxSize bytes.
std::string ReadWholeFile(const std::string& path, std::size_t maxSize = kMaxFileSize);

}  // namespace quorlin
