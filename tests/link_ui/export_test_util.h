#pragma once
// Helpers of the list-export tests: answering the next file dialog with a path and
// reading a written workbook back with openpyxl.
#include <functional>
#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QProcess>
#include <QTimer>

namespace ledsuite::testing {

// Picks `path` in the first visible file dialog once the event loop runs.
inline void ChooseNextFile(const QString& path) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, path] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                dialog->selectFile(path);
                QMetaObject::invokeMethod(dialog, "accept");
                return;
            }
        }
    });
    timer->start(1);
}

// The workbook's active sheet: its title, then a line per row with cells split by tabs.
inline std::string ReadWorkbookText(const QString& file) {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", R"(import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = [ws.title] + ['\t'.join('' if v is None else str(v) for v in r) for r in ws.iter_rows(values_only=True)]
sys.stdout.buffer.write('\n'.join(rows).encode()))", file});
    if (!python.waitForFinished() || python.exitCode() != 0)
        return "python failed: " + python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().toStdString();
}

}  // namespace ledsuite::testing
