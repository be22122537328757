// Output files appear whole or not at all, and an existing file is replaced
// only when the new one is complete.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cli/atomic_output.h"
#include "cli/cli_errors.h"
#include "tests/cli/y4m_samples.h"

namespace {

using brisen_cli::AtomicOutput;
using cli_test::list_dir;
using cli_test::read_file;
using cli_test::ScratchDir;

void put(const AtomicOutput& out, const std::string& text) {
  ASSERT_EQ(::write(out.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

TEST(AtomicOutput, FileAppearsOnlyOnCommit) {
  ScratchDir dir;
  {
    AtomicOutput out(dir / "clip.y4m");
    put(out, "new");
    EXPECT_FALSE(cli_test::exists(dir / "clip.y4m"));
    ASSERT_EQ(list_dir(dir.path()).size(), 1u);  // the temporary, beside the target
    out.commit();
  }
  EXPECT_EQ(read_file(dir / "clip.y4m"), "new");
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"clip.y4m"});
}

TEST(AtomicOutput, UncommittedOutputLeavesNothingAndKeepsTheOldFile) {
  ScratchDir dir;
  {
    AtomicOutput out(dir / "fresh.y4m");
    put(out, "partial");
  }
  EXPECT_TRUE(list_dir(dir.path()).empty());

  cli_test::write_file(dir / "old.y4m", "old contents");
  ::chmod((dir / "old.y4m").c_str(), 0640);
  {
    AtomicOutput out(dir / "old.y4m");
    put(out, "partial");
  }
  EXPECT_EQ(read_file(dir / "old.y4m"), "old contents");
  EXPECT_EQ(list_dir(dir.path()).size(), 1u);

  // A completed replacement keeps the old file's permissions.
  {
    AtomicOutput out(dir / "old.y4m");
    put(out, "replaced");
    out.commit();
  }
  EXPECT_EQ(read_file(dir / "old.y4m"), "replaced");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "old.y4m").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicOutput, DevicesAreWrittenInPlace) {
  AtomicOutput out("/dev/null");
  put(out, "discarded");
  out.commit();
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(AtomicOutput, UnwritablePlacesAreIoErrors) {
  ScratchDir dir;
  EXPECT_THROW(AtomicOutput(dir.path()), brisen_cli::IoError);
  EXPECT_THROW(AtomicOutput(dir / "missing/clip.y4m"), brisen_cli::IoError);
}

}  // namespace
