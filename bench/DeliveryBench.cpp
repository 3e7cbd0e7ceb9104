// A delivery of a 32 MiB image through the delivery job and its progress window (offscreen,
// the simulator answering at once) against conveyor-cli sending the same file to its own
// simulator, side by side in each iteration so that both see the same machine load.

#include "TBenchImage.h"
#include "delivery/TDeliveryHost.h"
#include "delivery/TFprog.h"
#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/TApplication.h"
#include "platform/TBeeper.h"
#include "platform/TClock.h"
#include "platform/TWavePlayer.h"
#include "shell/CompletionSignal.h"
#include "shell/TSettings.h"
#include "simulator/TDoctor64.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr qint64 ImageSize = 32 * 1024 * 1024;

TBenchImage& Image()
{
    static TBenchImage image(ImageSize, QStringLiteral("racer.v64"), 32);
    return image;
}

// What a main window gives a delivery, and nothing more.
class TBenchWindow : public QWidget, public TDeliveryHost
{
public:
    explicit TBenchWindow(TApplication& application)
        : FApplication(application)
        , FMongo(*this, FDoctor, FClock)
    {
        FStatus = new QLabel(this);
        show();
    }

    void SetPort(TPortIo& port) { FDoctor.SetPortIo(&port); }

    void Deliver() { FMongo.StartDelivery(); }
    QString Status() const { return FStatus->text(); }

    void SetStatusText(const QString& text) override { FStatus->setText(text); }
    TDeliveryRow SelectedRow() const override
    {
        return { QStringLiteral("SUPER RACER"), QStringLiteral("256 MBIT"), Image().Name.toUpper(),
            Image().Folder.filePath(Image().Name) };
    }
    void ProgressBegins() override
    {
        FProgress.ClearFigures();
        FProgress.show();
    }
    void ProgressAt(int progress, const TDeliveryStatistics& figures) override
    {
        FProgress.SetProgress(progress);
        FProgress.ShowStatistics(figures);
    }
    void ProgressEnds() override { FProgress.close(); }
    bool StopRequested() const override { return false; }
    void ProcessMessages() override { FApplication.ProcessMessages(); }
    void CompletionSignal() override
    {
        ::CompletionSignal(
            FSettings, FBeeper, FPlayer, [this](const QString& text) { SetStatusText(text); },
            FProgress);
    }

private:
    TApplication& FApplication;
    QLabel* FStatus = nullptr;
    TGameDoctor FDoctor;
    TFprog FProgress;
    TClock FClock;
    TSettings FSettings;
    TBeeper FBeeper;
    TWavePlayer FPlayer;
    TMongo FMongo;
};

struct TTimes
{
    double Wall = 0;
    double Cpu = 0;

    TTimes& operator+=(const TTimes& other)
    {
        Wall += other.Wall;
        Cpu += other.Cpu;
        return *this;
    }
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double ProcessCpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The windows live as long as the program, so only the delivery itself is timed.
TTimes WindowDelivery(TApplication& application, TBenchWindow& window)
{
    const auto device
        = std::make_unique<TDoctor64>(Image().Folder.filePath(QStringLiteral("window")));
    window.SetPort(*device);
    application.ProcessMessages();
    const double cpu = ProcessCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    window.Deliver();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const TTimes times { took.count(), ProcessCpuSeconds() - cpu };
    if (window.Status() != QStringLiteral(" Done...") || device->Files().size() != 1
        || !device->Files().front().Complete)
        throw std::runtime_error("the window's delivery did not arrive");
    return times;
}

// The cli's own wall and processor time, start-up included.
TTimes CliDelivery()
{
    const QByteArray out = QFile::encodeName(Image().Folder.filePath(QStringLiteral("cli")));
    const QByteArray path = QFile::encodeName(Image().Path);
    char program[] = CONVEYOR_CLI;
    char send[] = "send";
    char simulate[] = "--simulate";
    std::vector<char> outArgument(out.begin(), out.end());
    outArgument.push_back('\0');
    std::vector<char> pathArgument(path.begin(), path.end());
    pathArgument.push_back('\0');
    char* arguments[]
        = { program, send, simulate, outArgument.data(), pathArgument.data(), nullptr };

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program, &actions, nullptr, arguments, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start conveyor-cli");
    int status = 0;
    rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        throw std::runtime_error("conveyor-cli send failed");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return { took.count(), Seconds(usage.ru_utime) + Seconds(usage.ru_stime) };
}

void BM_WindowDeliveryOverCliSend(benchmark::State& state)
{
    TApplication application;
    TBenchWindow mainWindow(application);
    TTimes window;
    TTimes cli;
    for (auto _ : state) {
        window += WindowDelivery(application, mainWindow);
        cli += CliDelivery();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["window_ms"] = window.Wall * 1000 / iterations;
    state.counters["cli_ms"] = cli.Wall * 1000 / iterations;
    state.counters["ratio"] = window.Wall / cli.Wall;
    // Processor time does not count the waits of a machine shared with other work.
    state.counters["window_cpu_ms"] = window.Cpu * 1000 / iterations;
    state.counters["cli_cpu_ms"] = cli.Cpu * 1000 / iterations;
    state.counters["cpu_ratio"] = window.Cpu / cli.Cpu;
    state.SetBytesProcessed(state.iterations() * ImageSize);
}
BENCHMARK(BM_WindowDeliveryOverCliSend)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Image();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
