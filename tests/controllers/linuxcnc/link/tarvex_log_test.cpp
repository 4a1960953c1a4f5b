#include "tarvex_log.h"

#include <gtest/gtest.h>

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

}  // namespace

}  // namespace pitchwise
