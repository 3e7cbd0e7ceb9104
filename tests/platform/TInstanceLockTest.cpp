#include "platform/TInstanceLock.h"
#include "QtPrinters.h"
#include "TTestFolder.h"
#include "platform/EInOutError.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

TEST(TInstanceLock, ASecondLockFailsWhileTheFirstIsHeldAndSucceedsOnceItIsGone)
{
    const TTestFolder folder;
    const QString path = folder.Path("conveyor.lock");
    auto first = std::make_unique<TInstanceLock>(path);
    ASSERT_TRUE(first->TryLock());
    EXPECT_TRUE(first->Held());
    EXPECT_TRUE(first->TryLock()) << "a held lock is held";

    TInstanceLock second(path);
    EXPECT_FALSE(second.TryLock());
    EXPECT_FALSE(second.Held());
    EXPECT_FALSE(second.TryLock()) << "asking again changes nothing while the first holds it";

    // The file that stays behind is no obstacle: only the holder's lock is.
    first.reset();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(second.TryLock());
}

TEST(TInstanceLock, TheFileIsMadeForItsOwnerOnly)
{
    const TTestFolder folder;
    TInstanceLock lock(folder.Path("conveyor.lock"));
    ASSERT_TRUE(lock.TryLock());
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(lock.Path()).constData(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(TInstanceLock, ALinkOrAFifoInThePlaceOfTheFileIsRefusedWithItsReason)
{
    const TTestFolder folder;
    const QString target = folder.Write("elsewhere", "kept");
    const QString link = folder.Path("linked.lock");
    ASSERT_TRUE(QFile::link(target, link));
    try {
        TInstanceLock(link).TryLock();
        FAIL() << "the lock followed a link";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ELOOP);
        EXPECT_TRUE(error.Message().startsWith("Cannot lock " + link + ": ")) << error.Message();
    }
    EXPECT_EQ(folder.Read("elsewhere"), "kept");

    // Without blocking, though no one writes to the FIFO.
    const QString fifo = folder.Path("fifo.lock");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        TInstanceLock(fifo).TryLock();
        FAIL() << "a FIFO was taken for a lock file";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EPERM);
    }
}
