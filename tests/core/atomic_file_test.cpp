// The one writer every save goes through: the old file survives any failure
// byte for byte, the failure is reported with its real reason, and a
// successful save keeps the replaced file's permissions and link.
#include "support/temp_path.h"
#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::TestTempPath("quorlin-atomic");
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    SetWriteBlockCallForTesting(nullptr);
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove_all(dir);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }
  // The message of the QuorlinError a save throws, or "" when it succeeds.
  static std::string Failure(const std::string& path, std::string_view bytes) {
    try {
      WriteFileAtomically(path, bytes);
    } catch (const QuorlinError& e) {
      return e.what();
    }
    return "";
  }
  fs::path dir;
};

// Simulated disks: full from the first byte, full after part of the data,
// and one failing with an I/O error.
long FullDisk(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}
long FullAfterFourBytes(int fd, const void* data, std::size_t size) {
  static thread_local int calls = 0;
  if (calls++ % 2 == 0) return static_cast<long>(::write(fd, data, size < 4 ? size : 4));
  errno = ENOSPC;
  return -1;
}
long BrokenDisk(int, const void*, std::size_t) {
  errno = EIO;
  return -1;
}

TEST_F(AtomicFileTest, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  struct Case {
    WriteBlockCall write;
    const char* reason;  // strerror text of the simulated failure
  };
  const Case cases[] = {{FullDisk, "No space left on device"},
                        {FullAfterFourBytes, "No space left on device"},
                        {BrokenDisk, "Input/output error"}};
  const std::string target = Path("plot.svg");
  const std::string old = "<svg>the old picture</svg>\n";
  for (const auto& c : cases) {
    std::ofstream(target, std::ios::binary) << old;
    SetWriteBlockCallForTesting(c.write);
    const std::string message = Failure(target, std::string(100000, 'x'));
    SetWriteBlockCallForTesting(nullptr);
    EXPECT_EQ(message, target + ": cannot be written: " + c.reason);
    EXPECT_EQ(Contents(target), old);
    EXPECT_EQ(Entries(), 1u) << "a temporary file was left behind";
  }
}

TEST_F(AtomicFileTest, ReportsTheReasonOfTheStepThatFailed) {
  // A folder under the name: the rename's own error, never "Success".
  fs::create_directories(Path("out.xy"));
  EXPECT_EQ(Failure(Path("out.xy"), "1 2\n"), Path("out.xy") + ": cannot be replaced: Is a directory");
  EXPECT_EQ(Failure(Path("missing/out.xy"), "1 2\n"),
            Path("missing/out.xy") + ": cannot be written: No such file or directory");
  if (::geteuid() != 0) {  // the superuser writes into read-only folders
    std::ofstream(Path("keep.prb"), std::ios::binary) << "old";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Failure(Path("keep.prb"), "new"), Path("keep.prb") + ": cannot be written: Permission denied");
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(Contents(Path("keep.prb")), "old");
  }
}

TEST_F(AtomicFileTest, ReplacesKeepingPermissionsLinksAndOtherFiles) {
  const std::string target = Path("project.prb");
  std::ofstream(target, std::ios::binary) << "old";
  ::chmod(target.c_str(), 0640);
  // A user's file with the name an older program used for its temporary file.
  std::ofstream(target + ".tmp", std::ios::binary) << "mine";
  WriteFileAtomically(target, std::string("new\0bytes", 9));
  EXPECT_EQ(Contents(target), std::string("new\0bytes", 9));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Contents(target + ".tmp"), "mine");
  EXPECT_EQ(Entries(), 2u);

  // A new file gets the usual mode of a new file (0666 less the umask).
  const mode_t mask = ::umask(022);
  WriteFileAtomically(Path("new.xy"), "1 2\n");
  ::umask(mask);
  ASSERT_EQ(::stat(Path("new.xy").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);

  // Through a link the file it points to is replaced and the link stays.
  fs::create_symlink(target, Path("link.prb"));
  WriteFileAtomically(Path("link.prb"), "via link");
  EXPECT_TRUE(fs::is_symlink(Path("link.prb")));
  EXPECT_EQ(Contents(target), "via link");

  // Spaces, letters beyond ASCII and a name of the longest length allowed (255 bytes).
  for (const std::string& name : {std::string("Projekt März 日本.prb"), std::string(251, 'n') + ".prb"}) {
    WriteFileAtomically(Path(name), name);
    EXPECT_EQ(Contents(Path(name)), name) << name.size();
  }
  // A device is written in place, never replaced by a file.
  WriteFileAtomically("/dev/null", "discarded");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // The stream form: a writer's output, whole.
  WriteFileAtomically(Path("s.txt"), [](std::ostream& os) { os << "a " << 12.5 << '\n'; });
  EXPECT_EQ(Contents(Path("s.txt")), "a 12.5\n");
}

}  // namespace
}  // namespace quorlin
