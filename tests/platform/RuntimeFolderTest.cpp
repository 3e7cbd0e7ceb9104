#include "platform/RuntimeFolder.h"
#include "QtPrinters.h"
#include "TTestFolder.h"
#include "platform/EInOutError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets XDG_RUNTIME_DIR and TMPDIR (which QDir::tempPath reads) for one test.
class TRuntimeEnvironment
{
public:
    TRuntimeEnvironment(const QByteArray& runtime, const QString& temporary)
        : FRuntime(qgetenv("XDG_RUNTIME_DIR"))
        , FHadRuntime(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        , FTemporary(qgetenv("TMPDIR"))
        , FHadTemporary(qEnvironmentVariableIsSet("TMPDIR"))
    {
        if (runtime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", QFile::encodeName(temporary));
    }
    ~TRuntimeEnvironment()
    {
        if (FHadRuntime)
            qputenv("XDG_RUNTIME_DIR", FRuntime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
        if (FHadTemporary)
            qputenv("TMPDIR", FTemporary);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray FRuntime;
    bool FHadRuntime;
    QByteArray FTemporary;
    bool FHadTemporary;
};

QString OwnFolderIn(const TTestFolder& temporary)
{
    return temporary.Path(QStringLiteral("conveyor-") + QString::number(::geteuid()));
}

} // namespace

TEST(UserRuntimeFolder, APrivateRuntimeFolderIsUsedAsItIs)
{
    const TTestFolder runtime; // made with no access for others
    const TTestFolder temporary;
    const TRuntimeEnvironment environment(QFile::encodeName(runtime.Path()), temporary.Path());
    EXPECT_EQ(UserRuntimeFolder(), runtime.Path());
    EXPECT_FALSE(QFile::exists(OwnFolderIn(temporary)));
}

TEST(UserRuntimeFolder, WithoutOneAFolderOfTheUsersOwnIsMadeInTheTemporaryFolder)
{
    const TTestFolder temporary;
    const TTestFolder shared;
    ASSERT_TRUE(QFile::setPermissions(shared.Path(), QFile::Permissions(0x7777)));
    for (const QByteArray& runtime :
        { QByteArray(), QByteArray("relative/folder"), QFile::encodeName(shared.Path()) }) {
        const TRuntimeEnvironment environment(runtime, temporary.Path());
        EXPECT_EQ(UserRuntimeFolder(), OwnFolderIn(temporary)) << runtime.constData();
        EXPECT_TRUE(IsPrivateFolder(OwnFolderIn(temporary)));
    }
    struct stat status;
    ASSERT_EQ(::lstat(QFile::encodeName(OwnFolderIn(temporary)).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST(UserRuntimeFolder, AFolderOfThatNameThatOthersCanEnterOrALinkIsRefused)
{
    const TTestFolder temporary;
    const TRuntimeEnvironment environment(QByteArray(), temporary.Path());
    ASSERT_TRUE(QDir().mkdir(OwnFolderIn(temporary)));
    ASSERT_TRUE(QFile::setPermissions(OwnFolderIn(temporary), QFile::Permissions(0x7775)));
    EXPECT_THROW(UserRuntimeFolder(), EInOutError);

    ASSERT_TRUE(QDir().rmdir(OwnFolderIn(temporary)));
    const TTestFolder elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.Path(), OwnFolderIn(temporary)));
    try {
        UserRuntimeFolder();
        FAIL() << "a link was taken for the user's folder";
    } catch (const EInOutError& error) {
        EXPECT_TRUE(error.Message().contains(OwnFolderIn(temporary))) << error.Message();
    }
}
