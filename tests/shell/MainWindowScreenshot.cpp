// main_window_screenshot OUTPUT.png FOLDER [--rename]: renders the main window listing
// FOLDER into a PNG, for the documentation (scripts/screenshots). The window starts on a
// fresh settings file in a temporary program folder, as on a first start in FOLDER.
// Run it with QT_QPA_PLATFORM=offscreen.

#include "framework/TApplication.h"
#include "framework/TSpeedButton.h"
#include "shell/TFMain.h"
#include "widgets/TSortedStringGrid.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication qtApplication(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: main_window_screenshot OUTPUT.png FOLDER [--rename]\n", stderr);
        return 2;
    }
    const QString output = arguments[1];
    const QString folder = QDir(arguments[2]).absolutePath();

    QTemporaryDir program;
    QFile settings(program.filePath(QStringLiteral("Conveyor.ini")));
    if (!program.isValid() || !settings.open(QIODevice::WriteOnly)
        || settings.write(
               QStringLiteral("[Directories]\nDefault=%1\nLast=%1\n").arg(folder).toUtf8())
            < 0) {
        std::fputs("cannot write the settings file\n", stderr);
        return 1;
    }
    settings.close();

    TApplication application;
    TFMain window(application, program.filePath(QStringLiteral("conveyor")));
    QEventLoop scanned;
    QObject::connect(&window, &TFMain::CatalogueRead, &scanned, &QEventLoop::quit);
    QTimer::singleShot(10000, &scanned, &QEventLoop::quit);
    window.show();
    scanned.exec();

    // The third row chosen, as a user would, and the rename panel open on request.
    auto* grid = window.findChild<TSortedStringGrid*>(QStringLiteral("StringGrid1"));
    grid->SetRow(std::min(2, grid->RowCount() - 1));
    emit grid->Click();
    if (arguments.contains(QStringLiteral("--rename")))
        window.findChild<TSpeedButton*>(QStringLiteral("SpeedButton9"))->click();
    QCoreApplication::processEvents();

    if (!window.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
