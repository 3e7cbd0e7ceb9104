#include "shell/TCommandLine.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TCommandLine Parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("conveyor"));
    return ParseCommandLine(arguments);
}

} // namespace

TEST(TCommandLine, WithoutOptionsTheRealPortIsUsed)
{
    const TCommandLine line = Parse({});
    EXPECT_TRUE(line.Error.isEmpty());
    EXPECT_FALSE(line.Simulated());
    EXPECT_FALSE(line.Help);
    EXPECT_FALSE(line.Version);
}

TEST(TCommandLine, SimulateAndPeerNameTheirFolderAndSocket)
{
    const TCommandLine simulate = Parse({ "--simulate", "/tmp/received" });
    EXPECT_TRUE(simulate.Error.isEmpty());
    EXPECT_EQ(simulate.SimulateFolder, "/tmp/received");
    EXPECT_TRUE(simulate.Simulated());

    const TCommandLine peer = Parse({ "--peer=/tmp/doctor.sock" });
    EXPECT_EQ(peer.PeerSocket, "/tmp/doctor.sock");
    EXPECT_TRUE(peer.Simulated());
}

TEST(TCommandLine, HelpAndVersion)
{
    EXPECT_TRUE(Parse({ "--help" }).Help);
    EXPECT_TRUE(Parse({ "-h" }).Help);
    EXPECT_TRUE(Parse({ "--version" }).Version);
    const QString help = Parse({ "--help" }).HelpText;
    EXPECT_TRUE(
        help.startsWith("Usage: conveyor [--simulate DIR | --peer SOCKET] [FILE | FOLDER]\n"))
        << help;
    EXPECT_TRUE(help.contains("FILE | FOLDER     Opens the window on the folder")) << help;
    EXPECT_TRUE(help.contains("--peer <SOCKET>")) << help;
}

TEST(TCommandLine, WrongUsageIsToldInOneLine)
{
    EXPECT_EQ(Parse({ "--simulate", "a", "--peer", "b" }).Error,
        "--simulate and --peer cannot be used together.");
    EXPECT_EQ(Parse({ "--bogus" }).Error, "Unknown option 'bogus'.");
    EXPECT_EQ(Parse({ "a.v64", "b.v64" }).Error,
        "Unexpected argument 'b.v64': one file or folder at a time.");
    EXPECT_EQ(Parse({ "" }).Error, "The file name is empty.");
    EXPECT_FALSE(Parse({ "--simulate" }).Error.isEmpty());
    EXPECT_FALSE(Parse({ "--simulate=" }).Error.isEmpty());
}

TEST(TCommandLine, TheOnePositionalArgumentIsTheFileOrFolderToOpen)
{
    const TCommandLine file = Parse({ "--peer", "/tmp/doctor.sock", "images/racer.v64" });
    EXPECT_TRUE(file.Error.isEmpty()) << file.Error;
    EXPECT_EQ(file.OpenPath, "images/racer.v64");
    EXPECT_EQ(file.PeerSocket, "/tmp/doctor.sock");

    // After "--" a name that begins with a dash is a file, not an option.
    const TCommandLine dashed = Parse({ "--simulate", "/tmp/out", "--", "-odd.v64" });
    EXPECT_TRUE(dashed.Error.isEmpty()) << dashed.Error;
    EXPECT_EQ(dashed.OpenPath, "-odd.v64");
    EXPECT_EQ(dashed.SimulateFolder, "/tmp/out");

    EXPECT_TRUE(Parse({}).OpenPath.isEmpty());
}
