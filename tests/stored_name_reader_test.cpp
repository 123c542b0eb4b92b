#include "stored_name_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Only a read that failed with EINTR is tried again: whatever errno held
// before, a read that reaches the end of the file ends the reading. A
// stale EINTR taken for the read's own would read the end for ever, so each
// row reads in a child process that an alarm ends.
TEST(StoredNameReader, endsAtTheEndOfTheFileWhateverErrnoHeldBefore)
{
    char path[] = "/tmp/kestrune-reader-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "Abc\n", 4), 4);
    for (const int before : {0, EINTR, EAGAIN}) {
        ASSERT_EQ(lseek(file, 0, SEEK_SET), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(5);
            errno = before;
            _exit(readStoredName(file, trustRule(getuid(), "the user", OthersWriting::ignored)) == std::optional<std::string>("Abc") ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "errno " << before << ": the reading did not end";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "errno " << before << ": not the name";
    }
    close(file);
    unlink(path);
}

}  // namespace
