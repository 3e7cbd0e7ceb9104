#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/TApplication.h"
#include "framework/TPanel.h"
#include "platform/Exception.h"
#include "platform/FileAccess.h"
#include "platform/ProgramFile.h"
#include "platform/RawText.h"
#include "platform/TBeeper.h"
#include "platform/TClock.h"
#include "platform/TShellOpen.h"
#include "platform/TVerInfo.h"
#include "platform/TWavePlayer.h"
#include "platform/port/AcquirePortRights.h"
#include "platform/port/ExecPrivilegedCopy.h"
#include "platform/port/StartChildProcess.h"
#include "platform/port/TKernelPortList.h"
#include "shell/BringToFront.h"
#include "shell/ShellPictures.h"
#include "shell/TCommandLine.h"
#include "shell/TFMain.h"
#include "shell/TFPrefs.h"
#include "shell/TMainDeliveryHost.h"
#include "shell/TOpenDia.h"
#include "shell/TSettingsFile.h"
#include "shell/TSingleInstance.h"
#include "simulator/TAttachedDevice.h"
#include "simulator/TDoctor64.h"
#include "widgets/TFAbout.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QSplashScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int ExitUsage = 2;

// The arguments with their own bytes: a file name in Latin-1 must reach the file.
QStringList RawArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << DecodeRawText(argv[i]);
    return arguments;
}

// Answers --help and --version, or reports wrong usage; true when the program has nothing
// more to do.
bool Answered(const TCommandLine& line, const QString& caption, int& status)
{
    if (!line.Error.isEmpty()) {
        std::fprintf(
            stderr, "conveyor: %s\nTry 'conveyor --help' for more.\n", qPrintable(line.Error));
        status = ExitUsage;
        return true;
    }
    if (line.Help) {
        std::fputs(qPrintable(line.HelpText), stdout);
        status = 0;
        return true;
    }
    if (line.Version) {
        std::printf("%s\n", qPrintable(caption));
        status = 0;
        return true;
    }
    return false;
}

// A later start: the running program opens the file and comes to the front; this one ends.
int HandOver(const TSingleInstance& instance, const QString& path, const TCommandLine& line)
{
    const QString failure = instance.HandOver(path);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "conveyor: %s\n", qPrintable(failure));
        return 1;
    }
    if (line.Simulated())
        std::fputs("conveyor: Conveyor is running already and keeps its own device; --simulate "
                   "and --peer take effect when no Conveyor runs.\n",
            stderr);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    ExecPrivilegedCopy(argv);
    AcquirePortRights();
    QCoreApplication::setApplicationName(QStringLiteral("Conveyor"));
    // The version comes from the program file's own version block, as the caption's does.
    const TVerInfo verInfo;
    QCoreApplication::setApplicationVersion(verInfo.FileVersion());
    const QString caption = QStringLiteral("Conveyor v") + verInfo.FileVersion();

    // --help, --version and wrong usage need no display. Options of Qt's own (-platform,
    // -style and the like, with a single dash) only parse once QApplication has taken
    // them out, so a line holding one is judged again below.
    int status = 0;
    const QStringList raw = RawArguments(argc, argv);
    const TCommandLine early = ParseCommandLine(raw);
    const bool qtOptions = std::any_of(raw.begin() + 1, raw.end(), [](const QString& argument) {
        return argument.size() > 2 && argument.startsWith(QLatin1Char('-'))
            && argument.at(1) != QLatin1Char('-');
    });
    if ((early.Error.isEmpty() || !qtOptions) && Answered(early, caption, status))
        return status;

    QApplication qtApplication(argc, argv);
    // Lets the desktop (Wayland in particular) match the windows to the installed desktop
    // entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.conveyor.Conveyor"));
    // Qt has taken its own options out of argv by now.
    const TCommandLine line = ParseCommandLine(RawArguments(argc, argv));
    if (Answered(line, caption, status))
        return status;

    QString programFile = ProgramFilePath();
    if (programFile.isEmpty())
        programFile = QCoreApplication::applicationFilePath();
    // One Conveyor for each settings file: a later start hands its file to the running one
    // and ends, before it shows anything.
    const QString openPath = line.OpenPath.isEmpty() ? QString() : AbsolutePath(line.OpenPath);
    TSingleInstance instance(TSettingsFile::FilePath(
        TSettingsFile::ProgramDirectoryOf(programFile), TSettingsFile::DefaultConfigFolder()));
    if (!instance.Warning().isEmpty())
        std::fprintf(stderr, "conveyor: %s; this Conveyor runs on its own.\n",
            qPrintable(instance.Warning()));
    if (!instance.First())
        return HandOver(instance, openPath, line);

    // The start-up picture, up exactly while the windows are created; one pass of the event
    // loop paints it before that work begins.
    auto splash = std::make_unique<QSplashScreen>(ShellPicture(QStringLiteral("mascot")));
    splash->show();
    QCoreApplication::processEvents();

    // The application object before any window: the windows bind their events through it,
    // and its error box shows what their handlers raise.
    TApplication application;

    // The windows, in this order: the main window first, because its creation loads the
    // settings that the others read; then the about window, the preferences window, the
    // progress window and the wave chooser.
    TFMain mainWindow(application, programFile);
    mainWindow.Beeper().SetAction([] { QApplication::beep(); });
    mainWindow.show();

    // The about window's links go to the desktop's browser and mail program, started
    // without the port's rights.
    TShellOpen shellOpen(
        [](const QString& link) { StartChildProcess(QStringLiteral("xdg-open"), { link }); });
    // The dialogs have no parent: disabling the main window while they are open would
    // disable its child windows too.
    TFAbout about(application, mainWindow, shellOpen);
    mainWindow.SetAboutWindow(&about);

    // The wave chooser is created last, but the preferences may ask for it only once the
    // windows exist.
    std::unique_ptr<TOpenDia> chooser;
    TFPrefs::THost prefsHost;
    prefsHost.MainWindow = &mainWindow;
    prefsHost.StatusLine = mainWindow.Panel2();
    prefsHost.ApplyColumnLayout = [&mainWindow] { mainWindow.ApplyColumnLayout(); };
    prefsHost.ShowWaveChooser = [&chooser] {
        if (chooser)
            chooser->show();
    };
    prefsHost.PlayWaveFile
        = [&mainWindow](const QString& path) { mainWindow.MediaPlayer1().Play(path); };
    prefsHost.KernelPorts = [] { return TKernelPortList::Read(); };
    // Its creation refreshes it from the settings, which carries a stored LPT2 choice or
    // port address into the transfer component.
    TFPrefs prefs(application, mainWindow.SettingsFile(), mainWindow.GameDoctor1(), prefsHost);
    mainWindow.SetPreferencesWindow(&prefs);

    // The progress window comes with the delivery's host, which owns it.
    TMainDeliveryHost deliveryHost(mainWindow);
    chooser = std::make_unique<TOpenDia>(
        application, mainWindow.SettingsFile(),
        [&mainWindow](const QString& path) { mainWindow.MediaPlayer1().Play(path); }, &prefs);

    // The delivery job: created once, never started as a thread; "Deliver" runs its body.
    const TClock clock;
    TMongo mongo(deliveryHost, mainWindow.GameDoctor1(), clock);
    mainWindow.SetDeliveryJob(mongo);
    // The program ends when its main window closes, whatever other window is still open,
    // once the close has saved the settings (and shown why, if it could not). A delivery
    // under way ends at the end of its block, so nothing goes on driving the port unseen.
    QObject::connect(&mainWindow, &TFMain::Closed, &mainWindow, [&mongo] {
        mongo.Abandon();
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    });

    // A simulated Doctor64 is plugged into the port the settings chose at start-up.
    std::unique_ptr<TAttachedDevice> device;
    try {
        device = std::make_unique<TAttachedDevice>(
            line.SimulateFolder, line.PeerSocket, mainWindow.GameDoctor1().PortAddress());
    } catch (const Exception& error) {
        std::fprintf(stderr, "conveyor: %s\n", error.what());
        return 1;
    }
    // The simulated Doctor64 is a demonstration aid, not a cable: it answers on whichever
    // port a delivery uses, the one Preferences chose last.
    if (TDoctor64* const simulated = device->Simulator())
        simulated->SetFollowsTransfers(true);
    if (TPortIo* const port = device->PortIo()) {
        mainWindow.GameDoctor1().SetPortIo(port);
        mainWindow.AppendToCaption(QStringLiteral(" (simulated Doctor64)"));
    }

    // Every window exists now: the start-up picture goes, with no minimum time on screen.
    splash.reset();

    // The path of the command line, then those of later starts, which may have come already.
    if (!openPath.isEmpty())
        mainWindow.OpenPath(openPath);
    instance.Serve([&application, &mainWindow](const QString& path) {
        application.Guard([&mainWindow, &path] {
            BringToFront(mainWindow);
            if (!path.isEmpty())
                mainWindow.OpenPath(path);
        });
    });

    // The program runs until the main window closes.
    status = QApplication::exec();
    // The device outlives the component that drives it.
    mainWindow.GameDoctor1().SetPortIo(nullptr);
    return status;
}
