#include "tarvex_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace pitchwise {

namespace {

TEST(TarvexLogTest, UnopenableLogIsReportedOnceOnStandardError) {
    SetLogPath("/nonexistent-folder/tarvex.log");
    ::testing::internal::CaptureStderr();
    LogMessage("first");
    LogMessage("second");
    const std::string said = ::testing::internal::GetCapturedStderr();
    SetLogPath("");
    const std::string notice = "cannot open the log /nonexistent-folder/tarvex.log";
    const std::size_t first = said.find(notice);
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find(notice, first + 1), std::string::npos) << said;
    EXPECT_NE(said.find("second"), std::string::npos);  // the messages still reach stderr
}

TEST(TarvexLogTest, AFifoAsTheLogIsRefusedAndLeftAsItWas) {
    char folder[] = "/tmp/tarvex-log-test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    SetLogPath(fifo);
    ::testing::internal::CaptureStderr();
    LogMessage("first");
    const std::string said = ::testing::internal::GetCapturedStderr();
    SetLogPath("");
    EXPECT_NE(said.find("cannot open the log " + fifo + " (not a regular file)"), std::string::npos)
        << said;
    struct stat info {};
    EXPECT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    unlink(fifo.c_str());
    rmdir(folder);
}

}  // namespace

}  // namespace pitchwise
