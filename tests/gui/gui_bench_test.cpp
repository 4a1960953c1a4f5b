// One whole run through the window, in real time: Enter on Find QSB finds the
// bench's QSB, Enter on Create maps the axis with the defaults through the
// simulated libTarvex.so, and the bench judges the table it received. The
// run happens under a comma-decimal locale, which must not reach the lines
// sent to the controller.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <algorithm>
#include <clocale>
#include <cstring>

#include "bench.h"
#include "com_port.h"
#include "dialog_qt.h"
#include "modal_script.h"
#include "pitchwise_dlg.h"
#include "resource.h"

namespace pitchwise {

namespace {

TEST(BenchRun, FindQsbThenCreateEndsInDoneAndTheBenchAgrees) {
    // The environment asked for German number formatting, and got it for
    // everything but numbers.
    const char* ctype = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(ctype, nullptr);
    ASSERT_STREQ(ctype, "de_DE.UTF-8") << "run with LC_ALL=de_DE.UTF-8 and the locale built";
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");

    BenchOptions options;
    options.speed = 50;
    CBench bench(options);
    std::string error;
    ASSERT_TRUE(bench.Start(error)) << error;
    bench.ExportEnvironment();

    CPitchwiseDlg dialog;
    CMessageBoxCatcher boxes;
    const int result = RunModal(dialog, [&](QDialog&) {
        Press(Qt::Key_Return);  // Find QSB has the focus
        auto* info = qobject_cast<QLineEdit*>(DialogItemWidget(dialog, IDC_QSB_INFO));
        ASSERT_TRUE(info->text().startsWith(QStringLiteral("COM:1 SERNUM:")))
            << info->text().toStdString();
        for (int i = 0; i < 16 && FocusId() != IDC_CREATE; ++i) Press(Qt::Key_Tab);
        ASSERT_EQ(FocusId(), IDC_CREATE);
        Press(Qt::Key_Return);  // Create, with the defaults: 0 to 1 by 1
        Press(Qt::Key_Escape);
    });
    thePort.Close();
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, QStringLiteral("Done."));
    // A window manager shows the whole title only on a box this wide.
    EXPECT_GE(boxes.Seen()[0].width, boxes.Seen()[0].titleNeeds);
    // Ctrl+C copies it as Windows does, for a script or a bug report.
    EXPECT_EQ(boxes.Seen()[0].copied,
              QStringLiteral("---------------------------\npitchwise_gui_tests\n"
                             "---------------------------\nDone.\n"
                             "---------------------------\nOK\n"
                             "---------------------------\n"));

    ASSERT_TRUE(bench.WaitForRuns(1, std::chrono::seconds(60)));
    const BenchVerdict verdict = bench.Verdict();
    EXPECT_TRUE(verdict.agree) << verdict.reason << "\n" << bench.ReportText();
    ASSERT_EQ(bench.Runs().size(), 1u);
    const BenchRun run = bench.Runs()[0];
    EXPECT_TRUE(run.mappingDisabled);  // the check box's default
    EXPECT_EQ(run.entries.size(), 2u);
    EXPECT_NE(std::find(run.lines.begin(), run.lines.end(), "G1X1.0000"), run.lines.end());
}

// The bench's QSB keeps its old zero at machine zero: a run typed in from 2
// must end in the zeroing message, with the table never begun.
TEST(BenchRun, QsbThatWillNotZeroEndsInTheZeroingMessage) {
    BenchOptions options;
    options.speed = 50;
    options.qsbIgnoresZeroing = true;
    CBench bench(options);
    std::string error;
    ASSERT_TRUE(bench.Start(error)) << error;
    bench.ExportEnvironment();

    CPitchwiseDlg dialog;
    CMessageBoxCatcher boxes;
    RunModal(dialog, [&](QDialog&) {
        Press(Qt::Key_Return);  // Find QSB has the focus
        for (int i = 0; i < 16 && FocusId() != IDC_START_POS; ++i) Press(Qt::Key_Tab);
        ASSERT_EQ(FocusId(), IDC_START_POS);
        Type(QStringLiteral("2"));  // the field's text was selected on the way in
        auto* startField = qobject_cast<QLineEdit*>(DialogItemWidget(dialog, IDC_START_POS));
        ASSERT_EQ(startField->text(), QStringLiteral("2"));
        for (int i = 0; i < 16 && FocusId() != IDC_CREATE; ++i) Press(Qt::Key_Tab);
        ASSERT_EQ(FocusId(), IDC_CREATE);
        Press(Qt::Key_Return);
        Press(Qt::Key_Escape);
    });
    thePort.Close();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, QStringLiteral("Error - QSB zeroing failed."));
    ASSERT_EQ(bench.Runs().size(), 1u);
    const BenchRun run = bench.Runs()[0];
    EXPECT_TRUE(run.entries.empty());
    EXPECT_FALSE(run.closed);
    EXPECT_FALSE(run.finished);
}

}  // namespace

}  // namespace pitchwise
