#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/errors.h"

namespace quorlin {
namespace {

long SystemWrite(int fd, const void* data, std::size_t size) { return static_cast<long>(::write(fd, data, size)); }

WriteBlockCall writeBlock = SystemWrite;

[[noreturn]] void Fail(const std::string& path, const char* what, int error) {
  throw QuorlinError(path + ": " + what + ": " + std::strerror(error));
}

// The file a save really replaces: the target of a symbolic link, so that
// the link stays a link.
std::string ResolvedTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // a dangling link is replaced as a name
  std::string resolved(real);
  std::free(real);
  return resolved;
}

// Folder and name of a path; the folder is "." for a bare name.
void Split(const std::string& path, std::string& folder, std::string& name) {
  auto slash = path.find_last_of('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Owns the temporary file until it has been renamed.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& shown) : target_(target), shown_(shown) {
    std::string folder, name;
    Split(target, folder, name);
    // A hidden name with a random part: a file name may be up to 255 bytes,
    // so a long name is shortened for the temporary one.
    if (name.size() > 200) name.resize(200);
    std::string pattern = folder + "/." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = ::mkstemp(buffer.data());
    if (fd_ < 0) Fail(shown_, "cannot be written", errno);
    path_.assign(buffer.data());
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(std::string_view bytes) {
    while (!bytes.empty()) {
      long n = writeBlock(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(shown_, "cannot be written", n < 0 ? errno : ENOSPC);
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  // The replaced file's permissions, or those of a new file.
  void TakePermissions() {
    struct stat st {};
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
    if (::fchmod(fd_, mode) != 0) Fail(shown_, "cannot be written", errno);
  }

  void FlushAndClose() {
    if (::fsync(fd_) != 0) Fail(shown_, "cannot be written", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(shown_, "cannot be written", errno);
  }

  void RenameOverTarget() {
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
      // Keep the reason before the clean-up can change errno.
      const int error = errno;
      Fail(shown_, "cannot be replaced", error);
    }
    path_.clear();
  }

 private:
  std::string target_, shown_;
  std::string path_;
  int fd_ = -1;
};

// A device or pipe (/dev/stdout, /dev/null) is written in place: renaming a
// file over it would replace the device itself.
void WriteInPlace(const std::string& target, const std::string& shown, std::string_view bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail(shown, "cannot be written", errno);
  while (!bytes.empty()) {
    long n = writeBlock(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(shown, "cannot be written", error);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (::close(fd) != 0) Fail(shown, "cannot be written", errno);
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) throw QuorlinError("(no file name): cannot be written");
  const std::string target = ResolvedTarget(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) Fail(path, "cannot be replaced", EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    WriteInPlace(target, path, bytes);
    return;
  }
  TempFile temp(target, path);
  temp.Write(bytes);
  temp.TakePermissions();
  temp.FlushAndClose();
  temp.RenameOverTarget();
}

void WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write) {
  std::ostringstream out;
  write(out);
  if (!out) throw QuorlinError(path + ": cannot be written: the text could not be formed");
  WriteFileAtomically(path, out.view());
}

WriteBlockCall SetWriteBlockCallForTesting(WriteBlockCall call) {
  WriteBlockCall previous = writeBlock;
  writeBlock = call != nullptr ? call : SystemWrite;
  return previous;
}

}  // namespace quorlin
