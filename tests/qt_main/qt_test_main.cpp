// Test entry: one QApplication for the whole run (offscreen), and every Qt warning
// fails the test that caused it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include "tests/qt_main/qt_test_util.h"

namespace {
void FailOnWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    // The offscreen platform has no window system to pass size limits, raising or
    // keyboard grabs to; its notices about that say nothing about the code under test.
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    ADD_FAILURE() << "Qt message: " << message.toStdString();
}
// A test's answers that found no window end with the test: their captures are gone then.
class DropUnusedAnswers : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        for (QTimer* timer : qApp->findChildren<QTimer*>(QLatin1String(ledsuite::testing::kAnswerTimerName),
                                                         Qt::FindDirectChildrenOnly))
            delete timer;
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    // Settings the windows store (QSettings, ini.dat) go to a folder of this test program's own,
    // never into those of the user who runs the tests; a test may still point elsewhere.
    QTemporaryDir config(QDir::tempPath() + QStringLiteral("/ledsuite-test-config-XXXXXX"));
    if (config.isValid()) qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    qInstallMessageHandler(FailOnWarnings);
    testing::UnitTest::GetInstance()->listeners().Append(new DropUnusedAnswers);
    return RUN_ALL_TESTS();
}
