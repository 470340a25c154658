// The temporary output is flushed to disk exactly when it replaces an existing
// file: a new name replaces nothing, so skipping the flush risks no data.
#include "atomic_output_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace velloran::test {
namespace {

TEST(OutputFlush, HappensOnlyWhenAnExistingFileIsReplaced)
{
    for (const bool existing : {false, true}) {
        ScratchDirectory scratch;
        const fs::path path = scratch.path() / "文件.txt";
        if (existing)
            writeBytes(path, "old");
        AtomicOutputFile output(path);
        output.write("new", 3);
        EXPECT_EQ(output.commit(), existing);
        EXPECT_EQ(readBytes(path), "new");
        EXPECT_FALSE(hasTemporaryFile(scratch.path()));
    }
}

} // namespace
} // namespace velloran::test
