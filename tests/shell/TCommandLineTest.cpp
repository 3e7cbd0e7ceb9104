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
    EXPECT_TRUE(help.startsWith("Usage: conveyor [--simulate DIR | --peer SOCKET]\n")) << help;
    EXPECT_TRUE(help.contains("--peer <SOCKET>")) << help;
}

TEST(TCommandLine, WrongUsageIsToldInOneLine)
{
    EXPECT_EQ(Parse({ "--simulate", "a", "--peer", "b" }).Error,
        "--simulate and --peer cannot be used together.");
    EXPECT_EQ(Parse({ "--bogus" }).Error, "Unknown option 'bogus'.");
    EXPECT_EQ(Parse({ "image.v64" }).Error, "Unexpected argument 'image.v64'.");
    EXPECT_FALSE(Parse({ "--simulate" }).Error.isEmpty());
    EXPECT_FALSE(Parse({ "--simulate=" }).Error.isEmpty());
}
