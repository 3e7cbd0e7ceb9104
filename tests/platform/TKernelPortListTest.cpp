#include "platform/port/TKernelPortList.h"
#include "TTestFolder.h"
#include "platform/port/TPortAddress.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// Lays out one port the way the kernel shows it under /proc/sys/dev/parport.
void AddPort(const TTestFolder& proc, const QString& name, const QByteArray& baseAddr,
    const QByteArray& modes)
{
    const QString folder = QStringLiteral("sys/dev/parport/") + name + QLatin1Char('/');
    proc.Write(folder + QStringLiteral("base-addr"), baseAddr);
    proc.Write(folder + QStringLiteral("modes"), modes);
    proc.Write(folder + QStringLiteral("irq"), "7\n");
}

// What every machine with the driver loaded has beside its ports.
void AddDefault(const TTestFolder& proc)
{
    proc.Write(QStringLiteral("sys/dev/parport/default/timeslice"), "200\n");
    proc.Write(QStringLiteral("sys/dev/parport/default/spintime"), "500\n");
}

} // namespace

TEST(TKernelPortList, OnboardPortWithItsEcrAtBasePlus0x400)
{
    TTestFolder proc;
    AddDefault(proc);
    AddPort(proc, QStringLiteral("parport0"), "888\t1912\n", "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA\n");
    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    ASSERT_EQ(list.Ports().size(), 1u);
    const TKernelPort& port = list.Ports().front();
    EXPECT_EQ(port.Name, QStringLiteral("parport0"));
    EXPECT_EQ(port.Number, 0);
    EXPECT_EQ(port.Base, 0x378);
    EXPECT_EQ(port.BaseHi, 0x778);
    EXPECT_EQ(port.Modes, QStringList({ "PCSPP", "TRISTATE", "COMPAT", "EPP", "ECP", "DMA" }));
    EXPECT_TRUE(port.HasEcr());
    EXPECT_EQ(port.EcrAddress(), 0x77A);
    EXPECT_EQ(port.Description(),
        QStringLiteral("parport0 at 0x378, modes PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA, extended "
                       "control register at 0x77A."));
    EXPECT_TRUE(list.Problems().isEmpty());
    EXPECT_TRUE(list.DriverLoaded());
}

TEST(TKernelPortList, PcieCardKeepsItsOwnSecondBlockAndTwoPortsComeInOrder)
{
    TTestFolder proc;
    AddDefault(proc);
    // A PCIe card: the extended control register is at base_hi + 2 = 0xD002, not 0xD412.
    AddPort(proc, QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,TRISTATE,COMPAT,ECP\n");
    AddPort(proc, QStringLiteral("parport0"), "888\t1912\n", "PCSPP,TRISTATE\n");
    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    ASSERT_EQ(list.Ports().size(), 2u);
    EXPECT_EQ(list.Ports()[0].Name, QStringLiteral("parport0"));
    const TKernelPort& card = list.Ports()[1];
    EXPECT_EQ(card.Base, 0xD010);
    EXPECT_EQ(card.BaseHi, 0xD000);
    EXPECT_TRUE(card.HasEcr());
    EXPECT_EQ(card.EcrAddress(), 0xD002);
    // Without ECP among its modes the onboard port's base_hi is not taken for an ECR.
    EXPECT_FALSE(list.Ports()[0].HasEcr());

    EXPECT_EQ(list.FindName(QStringLiteral("PARPORT1")), &card);
    EXPECT_EQ(list.FindBase(0xD010), &card);
    EXPECT_EQ(list.FindRegister(0xD012), &card);
    EXPECT_EQ(list.FindRegister(0xD002), &card);
    EXPECT_EQ(list.FindRegister(0xD013), nullptr);
    EXPECT_EQ(list.FindRegister(0xD000), nullptr);
    EXPECT_EQ(list.FindRegister(0x77A), nullptr);
}

TEST(TKernelPortList, NoneSaysWhetherTheDriverIsLoaded)
{
    TTestFolder proc;
    const TKernelPortList unloaded = TKernelPortList::Read(proc.Path());
    EXPECT_TRUE(unloaded.Ports().empty());
    EXPECT_FALSE(unloaded.DriverLoaded());
    EXPECT_TRUE(unloaded.EmptyText().contains(QStringLiteral("modprobe parport_pc")));

    AddDefault(proc);
    const TKernelPortList loaded = TKernelPortList::Read(proc.Path());
    EXPECT_TRUE(loaded.Ports().empty());
    EXPECT_TRUE(loaded.DriverLoaded());
    EXPECT_TRUE(loaded.Problems().isEmpty());
}

TEST(TKernelPortList, DamagedPortsAreLeftOutAndNamedTheOthersStay)
{
    TTestFolder proc;
    AddDefault(proc);
    AddPort(proc, QStringLiteral("parport0"), "888\t0\n", "PCSPP\n");
    AddPort(proc, QStringLiteral("parport1"), "garbage\n", "PCSPP\n");
    AddPort(proc, QStringLiteral("parport2"), "70000\t0\n", "PCSPP\n");
    AddPort(proc, QStringLiteral("parport3"), "", "PCSPP\n");
    AddPort(proc, QStringLiteral("parport4"), "632\t1656\t99\n", "PCSPP\n");
    // No base-addr file at all.
    proc.Write(QStringLiteral("sys/dev/parport/parport5/modes"), "PCSPP\n");
    // Modes missing or full of nonsense still leave a usable port.
    proc.Write(QStringLiteral("sys/dev/parport/parport6/base-addr"), "956\t0\n");
    AddPort(proc, QStringLiteral("parport7"), "1020\t0\n", QByteArray("\x01\xFF,ECP,", 7));
    // Not a port folder.
    proc.Write(QStringLiteral("sys/dev/parport/parportX/base-addr"), "888\n");

    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    ASSERT_EQ(list.Ports().size(), 3u);
    EXPECT_EQ(list.Ports()[0].Base, 0x378);
    EXPECT_EQ(list.Ports()[0].BaseHi, 0);
    EXPECT_FALSE(list.Ports()[0].HasEcr());
    EXPECT_EQ(list.Ports()[1].Name, QStringLiteral("parport6"));
    EXPECT_TRUE(list.Ports()[1].Modes.isEmpty());
    EXPECT_EQ(list.Ports()[1].Description(), QStringLiteral("parport6 at 0x3BC."));
    EXPECT_EQ(list.Ports()[2].Modes, QStringList { "ECP" });
    // ECP without a second block is no ECR to touch.
    EXPECT_FALSE(list.Ports()[2].HasEcr());

    const QStringList problems = list.Problems();
    ASSERT_EQ(problems.size(), 5) << qPrintable(problems.join('\n'));
    EXPECT_EQ(problems[0], QStringLiteral("parport1: its base-addr makes no sense (\"garbage\")."));
    EXPECT_TRUE(problems[1].startsWith(QStringLiteral("parport2:")));
    EXPECT_TRUE(problems[2].startsWith(QStringLiteral("parport3:")));
    EXPECT_TRUE(problems[3].startsWith(QStringLiteral("parport4:")));
    EXPECT_EQ(problems[4],
        QStringLiteral("parport5: its base-addr cannot be read (No such file or directory)."));
}

TEST(TKernelPortList, EntriesThatAreNoRegularFileOrTooLongAreRefusedWithoutWaiting)
{
    TTestFolder proc;
    const QString parport = proc.Path(QStringLiteral("sys/dev/parport/"));
    // A FIFO nobody writes to, a device that never ends, and a file far longer than any of
    // the kernel's: each would hang the reader or fill its memory.
    AddPort(proc, QStringLiteral("parport0"), "888\t0\n", "PCSPP\n");
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(parport + "parport0/base-addr.fifo").constData(), 0600), 0);
    QFile::remove(parport + "parport0/base-addr");
    QFile::rename(parport + "parport0/base-addr.fifo", parport + "parport0/base-addr");
    AddPort(proc, QStringLiteral("parport1"), "632\t0\n", "PCSPP\n");
    QFile::remove(parport + "parport1/base-addr");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), parport + "parport1/base-addr"));
    AddPort(proc, QStringLiteral("parport2"), "956\t0" + QByteArray(100000, ' ') + "\n", "PCSPP\n");
    // A FIFO or a device as modes and as the holder's file leaves the port itself usable.
    AddPort(proc, QStringLiteral("parport3"), "1020\t0\n", "PCSPP\n");
    QFile::remove(parport + "parport3/modes");
    ASSERT_EQ(::mkfifo(QFile::encodeName(parport + "parport3/modes").constData(), 0600), 0);
    AddPort(proc, QStringLiteral("parport4"), "53264\t0\n", "PCSPP\n");
    QFile::remove(parport + "parport4/modes");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), parport + "parport4/modes"));
    ASSERT_TRUE(QDir().mkpath(parport + "parport3/devices"));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(parport + "parport3/devices/active").constData(), 0600), 0);

    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    ASSERT_EQ(list.Ports().size(), 2u);
    EXPECT_EQ(list.Ports()[0].Name, QStringLiteral("parport3"));
    EXPECT_TRUE(list.Ports()[0].Modes.isEmpty());
    EXPECT_EQ(list.Ports()[1].Name, QStringLiteral("parport4"));
    EXPECT_TRUE(list.Ports()[1].Modes.isEmpty());
    EXPECT_EQ(TKernelPortList::Holder(proc.Path(), list.Ports()[0]), std::nullopt);
    EXPECT_EQ(list.Problems(),
        QStringList({
            QStringLiteral("parport0: its base-addr cannot be read (not a regular file)."),
            QStringLiteral("parport1: its base-addr cannot be read (not a regular file)."),
            QStringLiteral("parport2: its base-addr cannot be read (longer than 256 bytes)."),
        }));
}

// ---- Ports named by the user --------------------------------------------------------

TEST(TPortAddress, TextIsUpperCaseHexadecimalWithoutLeadingZeros)
{
    EXPECT_EQ(TPortAddress::Text(0xD010), QStringLiteral("0xD010"));
    EXPECT_EQ(TPortAddress::Text(0x3BC), QStringLiteral("0x3BC"));
    EXPECT_EQ(TPortAddress::Text(0x378), QStringLiteral("0x378"));
    EXPECT_EQ(TPortAddress::Text(0xE000), QStringLiteral("0xE000"));
    EXPECT_EQ(TPortAddress::Text(0x2A), QStringLiteral("0x2A"));
}

TEST(TPortAddress, ParsesTheFourFormsAndSaysWhatIsWrongWithOthers)
{
    TTestFolder proc;
    AddPort(proc, QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,ECP\n");
    const TKernelPortList ports = TKernelPortList::Read(proc.Path());

    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("lpt1"), ports), 0x378);
    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("LPT2"), ports), 0x278);
    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("parport1"), ports), 0xD010);
    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("0xd010"), ports), 0xD010);
    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("0X3BC"), ports), 0x3BC);

    QString error;
    EXPECT_FALSE(TPortAddress::Parse(QStringLiteral("parport0"), ports, &error));
    EXPECT_EQ(error, QStringLiteral("The kernel knows no port parport0; it lists parport1."));
    EXPECT_FALSE(TPortAddress::Parse(QStringLiteral("parport0"), TKernelPortList(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("modprobe parport_pc"))) << qPrintable(error);
    for (const char* wrong : { "lpt3", "888", "0x", "0x12345", "0xD01G", "", "D010" }) {
        error.clear();
        EXPECT_FALSE(TPortAddress::Parse(QString::fromLatin1(wrong), ports, &error)) << wrong;
        EXPECT_TRUE(error.contains(QStringLiteral("give lpt1, lpt2, parportN or a hexadecimal "
                                                  "address such as 0xD010")))
            << qPrintable(error);
    }
    EXPECT_FALSE(TPortAddress::Parse(QStringLiteral("0x0"), ports, &error));
    EXPECT_EQ(error, QStringLiteral("No parallel port sits at address 0x0."));
}

TEST(TPortAddress, ABaseWhoseRegistersWouldWrapPastTheLastAddressIsRefused)
{
    EXPECT_EQ(TPortAddress::Parse(QStringLiteral("0xFFFD"), TKernelPortList()), 0xFFFD);
    for (const char* wrapping : { "0xFFFE", "0xffff" }) {
        QString error;
        EXPECT_FALSE(TPortAddress::Parse(QString::fromLatin1(wrapping), TKernelPortList(), &error));
        EXPECT_EQ(error,
            QStringLiteral("No parallel port sits at %1: its registers would run past 0xFFFF, "
                           "the last I/O address (the highest base is 0xFFFD).")
                .arg(QString::fromLatin1(wrapping).toUpper().replace("0X", "0x")));
    }

    // The kernel's list never offers one either, nor a second block that would wrap.
    TTestFolder proc;
    AddPort(proc, QStringLiteral("parport0"), "65534\t0\n", "PCSPP\n");
    AddPort(proc, QStringLiteral("parport1"), "53264\t65535\n", "PCSPP,ECP\n");
    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    EXPECT_TRUE(list.Ports().empty());
    EXPECT_EQ(list.Problems().size(), 2);
}

TEST(TPortAddress, NamesAndRegistersOfParallelPorts)
{
    TTestFolder proc;
    AddPort(proc, QStringLiteral("parport0"), "888\t1912\n", "PCSPP,ECP\n");
    AddPort(proc, QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,ECP\n");
    const TKernelPortList ports = TKernelPortList::Read(proc.Path());
    EXPECT_EQ(TPortAddress::Name(0x378, ports), QStringLiteral("LPT1"));
    EXPECT_EQ(TPortAddress::Name(0x278, ports), QStringLiteral("LPT2"));
    EXPECT_EQ(TPortAddress::Name(0xD010, ports), QStringLiteral("parport1"));
    EXPECT_EQ(TPortAddress::Name(0xE000, ports), QStringLiteral("0xE000"));

    for (const std::uint16_t address :
        { 0x378, 0x37A, 0x278, 0x27A, 0xD010, 0xD012, 0xD002, 0x77A })
        EXPECT_TRUE(TPortAddress::IsParallelPortRegister(address, ports)) << address;
    // The interrupt controller, the byte after a port, an ECR of a classic port the kernel
    // does not list, a second block's other registers.
    for (const std::uint16_t address : { 0x20, 0x21, 0x37B, 0x67A, 0xD013, 0xD000, 0xD001, 0x0 })
        EXPECT_FALSE(TPortAddress::IsParallelPortRegister(address, ports)) << address;
}

TEST(TKernelPortList, HolderIsTheDriverThatHasThePortNowIfTheKernelSays)
{
    TTestFolder proc;
    AddPort(proc, QStringLiteral("parport0"), "888\t1912\n", "PCSPP\n");
    const TKernelPortList list = TKernelPortList::Read(proc.Path());
    const TKernelPort& port = list.Ports().front();
    EXPECT_EQ(TKernelPortList::Holder(proc.Path(), port), std::nullopt);
    proc.Write(QStringLiteral("sys/dev/parport/parport0/devices/active"), "none\n");
    EXPECT_EQ(TKernelPortList::Holder(proc.Path(), port), QString());
    proc.Write(QStringLiteral("sys/dev/parport/parport0/devices/active"), "lp0\n");
    EXPECT_EQ(TKernelPortList::Holder(proc.Path(), port), QStringLiteral("lp0"));
}
