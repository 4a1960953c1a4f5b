// The GUI tests run under Qt's offscreen platform, so they need no display,
// and start the toolkit the way the application does.
#include <gtest/gtest.h>

#include <QtGlobal>

#include "pitchwise_app.h"
#include "user_interface.h"

using namespace pitchwise;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    InitUserInterface();
    const int result = RUN_ALL_TESTS();
    EndUserInterface();
    return result;
}
