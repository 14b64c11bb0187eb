// quorlin-cli convert: reads a measured pattern and writes it as x-y text.
#include <filesystem>
#include <fstream>
#include <ostream>

#include "command.h"
#include "options.h"
#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/messages.h"
#include "data/formats.h"
#include "data/readers.h"

namespace quorlin::cli {
namespace {

class StreamMessages : public IMessages {
 public:
  explicit StreamMessages(std::ostream& os) : os_(os) {}
  void Show(const std::string& text) override { os_ << "message: " << text << "\n"; }

 private:
  std::ostream& os_;
};

int Convert(const Args& args, std::ostream& out, std::ostream& err) {
  std::string file, type, output;
  ArgReader reader(args);
  while (!reader.Done()) {
    const std::string& a = reader.Take();
    if (a == "--type") {
      type = reader.Value();
      if (!FindDataFormat(type)) throw QuorlinError("--type: unknown format \"" + type + "\" (gsa, cpi, chi, mca, xy)");
    } else if (a == "-o") {
      output = reader.Value();
    } else if (file.empty()) {
      file = a;
    } else {
      throw QuorlinError("unexpected argument \"" + a + "\"");
    }
  }
  if (file.empty()) throw QuorlinError("usage: convert FILE [--type gsa|cpi|chi|mca|xy] [-o OUT]");

  CData data;
  StreamMessages messages(err);
  for (const auto& note : ReadDataFile(file, type, data, &messages)) err << "note: " << note << "\n";
  if (output.empty()) {
    WriteXY(out, data);
    return 0;
  }
  // A failed write never leaves a half-written OUT in place of an old one.
  WriteFileAtomically(output, [&](std::ostream& os) { WriteXY(os, data); });
  return 0;
}

Register reg("convert", "convert FILE [--type gsa|cpi|chi|mca|xy] [-o OUT]   pattern file to x-y text", Convert);

}  // namespace
}  // namespace quorlin::cli
