#include "TMainWindowTest.h"
#include "TProcFolder.h"
#include "delivery/TFprog.h"
#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/TPanel.h"
#include "platform/TClock.h"
#include "platform/port/TKernelPortList.h"
#include "shell/TFPrefs.h"
#include "shell/TMainDeliveryHost.h"
#include "simulator/TDoctor64.h"

#include <QRadioButton>

namespace {

constexpr int Block = TGameDoctor::BlockSize;

// The windows of the program around a main window, wired as the program's entry wires them:
// the preferences on the same settings file and transfer component, the progress window and
// the delivery job that "Deliver" runs.
struct TProgramWindows
{
    explicit TProgramWindows(TFMain& window)
        : Prefs(window.Application(), window.SettingsFile(), window.GameDoctor1(), Host(window))
        , DeliveryHost(window)
        , Progress(DeliveryHost.ProgressWindow())
        , Mongo(DeliveryHost, window.GameDoctor1(), Clock)
    {
        window.SetPreferencesWindow(&Prefs);
        window.SetDeliveryJob(Mongo);
    }

    TFPrefs::THost Host(TFMain& window)
    {
        TFPrefs::THost host;
        host.MainWindow = &window;
        host.StatusLine = window.Panel2();
        host.ApplyColumnLayout = [&window] { window.ApplyColumnLayout(); };
        host.ShowWaveChooser = [] {};
        host.PlayWaveFile = [](const QString&) {};
        host.KernelPorts = [this] { return TKernelPortList::Read(Proc.Path()); };
        return host;
    }

    TProcFolder Proc;
    TFPrefs Prefs;
    TMainDeliveryHost DeliveryHost;
    TFprog& Progress;
    const TClock Clock;
    TMongo Mongo;
};

} // namespace

using TPortChoiceWindows = TMainWindowTest;

TEST_F(TPortChoiceWindows, APortChosenInPreferencesDuringADeliveryServesTheNextDelivery)
{
    // Five blocks and a bit, so the port is changed with most of the image still to go.
    const QByteArray image = ImageBytes("RACER", 'E') + QByteArray(5 * Block, '\x5a');
    Images.Write(QStringLiteral("racer.v64"), image);
    SettingsForImages();
    TFMain& window = Start();
    TProgramWindows program(window);
    ASSERT_EQ(window.GameDoctor1().Port(), ppLPT1);
    TTestFolder onLpt1;
    TDoctor64 device(onLpt1.Path(), TGameDoctor::LPT1Address);
    window.GameDoctor1().SetPortIo(&device);

    auto* deliver = Find<TSpeedButton>("SpeedButton8");
    auto* preferences = Find<TSpeedButton>("SpeedButton11");
    auto* lpt2 = program.Prefs.findChild<QRadioButton*>(QStringLiteral("RadioButton2"));
    ASSERT_NE(lpt2, nullptr);
    auto* savePrefs = program.Prefs.findChild<TSpeedButton*>(QStringLiteral("SpeedButton1"));
    ASSERT_NE(savePrefs, nullptr);

    // The delivery pumps the message queue after every block; this timer runs in the first
    // pump after two blocks of data have reached the device, where the user opens the
    // preferences and clicks "Port LPT2:".
    std::uint64_t bytesAtTheClick = 0;
    QTimer user;
    user.setInterval(0);
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (device.StreamBytes() < 2 * Block)
            return;
        user.stop();
        bytesAtTheClick = device.StreamBytes();
        QTest::mouseClick(preferences, Qt::LeftButton);
        ASSERT_TRUE(program.Prefs.isVisible());
        QTest::mouseClick(lpt2, Qt::LeftButton);
    });
    user.start();
    QTest::mouseClick(deliver, Qt::LeftButton);
    user.stop();

    // The click came in the middle of the stream and took effect in the preferences at once.
    ASSERT_GT(bytesAtTheClick, 0U) << "the delivery never reached its third block";
    EXPECT_LT(bytesAtTheClick, std::uint64_t(image.size()));
    EXPECT_TRUE(lpt2->isChecked());
    // Yet the whole image went on to the device on LPT1, where the transfer began.
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
    EXPECT_EQ(window.StatusText(), " Done...");
    EXPECT_EQ(onLpt1.Read(QStringLiteral("RACER.V64")), image);
    // The next delivery goes to LPT2.
    EXPECT_EQ(window.GameDoctor1().Port(), ppLPT2);
    EXPECT_EQ(window.GameDoctor1().PortAddress(), TGameDoctor::LPT2Address);

    QTest::mouseClick(savePrefs, Qt::LeftButton);
    ASSERT_TRUE(window.isEnabled());
    EXPECT_EQ(IniValue(QStringLiteral("Common"), QStringLiteral("TransferPort1")), "0");

    // With the device still on LPT1, nothing answers on LPT2.
    QTest::mouseClick(deliver, Qt::LeftButton);
    ASSERT_EQ(Errors.Boxes.size(), 1U);
    EXPECT_EQ(Errors.Boxes[0].Text, "Warning, could not locate any doctor on LPT2.");
    EXPECT_FALSE(program.Progress.isVisible());

    // Plugged into LPT2, the device gets the next delivery.
    TTestFolder onLpt2;
    TDoctor64 deviceOnLpt2(onLpt2.Path(), TGameDoctor::LPT2Address);
    window.GameDoctor1().SetPortIo(&deviceOnLpt2);
    QTest::mouseClick(deliver, Qt::LeftButton);
    EXPECT_EQ(Errors.Boxes.size(), 1U) << Errors.LastText().toStdString();
    EXPECT_EQ(window.StatusText(), " Done...");
    EXPECT_EQ(onLpt2.Read(QStringLiteral("RACER.V64")), image);
    window.GameDoctor1().SetPortIo(nullptr);
}
