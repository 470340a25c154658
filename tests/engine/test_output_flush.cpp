// The temporary output is flushed to disk exactly when it replaces an existing
// file: a new name replaces nothing, so skipping the flush risks no data.
#include "atomic_output_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace velloran::test {
namespace {

TEST(OutputFlush, IsSkippedForANewName)
{
    ScratchDirectory scratch;
    const fs::path path = scratch.path() / "新.txt";
    AtomicOutputFile output(path);
    output.write("abc", 3);
    EXPECT_FALSE(output.commit());
    EXPECT_EQ(readBytes(path), "abc");
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

TEST(OutputFlush, HappensBeforeAnExistingFileIsReplaced)
{
    ScratchDirectory scratch;
    const fs::path path = scratch.path() / "旧.txt";
    writeBytes(path, "old");
    AtomicOutputFile output(path);
    output.write("new", 3);
    EXPECT_TRUE(output.commit());
    EXPECT_EQ(readBytes(path), "new");
}

} // namespace
} // namespace velloran::test
