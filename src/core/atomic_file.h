// Replacing a file on disk in one step. Every save of the program (projects,
// unit-cell libraries, x-y text, pictures, cards) goes through here, so a
// failure at any point - a full disk, a read-only folder, a name that is a
// folder - leaves the old file byte for byte as it was and is reported.
//
// The bytes go to a new temporary file beside the target (created with a
// unique name, so it can never be a user's file), are flushed to the disk and
// closed with every step checked; the temporary file takes the permissions of
// the file it replaces, and only then is it renamed over the target. A
// device or pipe under the name (/dev/stdout) is written in place instead.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace quorlin {

// Throws QuorlinError "PATH: cannot be written: REASON" (or "cannot be
// replaced: REASON" when only the final rename failed); REASON is the
// system's text for the error of the step that failed.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for a writer that fills a stream; a stream that fails while
// being filled is a failure too.
void WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write);

// A seam for tests: the call that writes a block of bytes to the temporary
// file, as write(2) does (bytes written, or -1 with errno set). Returns the
// call it replaces; pass nullptr to restore the system's.
using WriteBlockCall = long (*)(int fd, const void* data, std::size_t size);
WriteBlockCall SetWriteBlockCallForTesting(WriteBlockCall call);

}  // namespace quorlin
