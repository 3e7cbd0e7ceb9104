#include "catalogue/TArchiveCache.h"
#include "TestArchives.h"
#include "TestImages.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/ListCatalogue.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct timespec ModifiedTime(const QString& path)
{
    struct stat status
    {
    };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    return status.st_mtim;
}

void SetModifiedTime(const QString& path, const struct timespec& time)
{
    const struct timespec times[2] = { time, time };
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

ino_t InodeOf(const QString& path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// A text as the cache file holds it: UTF-16, big-endian.
QByteArray StreamedText(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    return bytes;
}

// Archives listed through a cache of their own folder, which the user's never sees.
class ArchiveCache : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteSized(Folder, QStringLiteral("Speed Racer (U) [!].z64"),
            BigEndianHeaderBytes("SPEED RACER", 'E'), 1048576);
        PackArchive(
            Folder, QStringLiteral("zip"), { "-q", "Speed Racer.zip", "Speed Racer (U) [!].z64" });
        Archive = Folder.Path("Speed Racer.zip");
    }

    QString CacheFile() const { return CacheFolder.Path(TArchiveCache::FileName); }

    // Lists the archive through a fresh cache, as the next scan would, and saves.
    TArchiveContents ListOnce(int* archivesRead = nullptr)
    {
        TArchiveCache cache(CacheFolder.Path());
        TArchiveContents contents = cache.Contents(Archive);
        cache.Save();
        if (archivesRead)
            *archivesRead = cache.ArchivesRead();
        return contents;
    }

    // Overwrites the archive in place with bytes no reader takes, keeping its size and
    // modification time: only a listing that reads no archive still sees the image.
    void WreckKeepingStamp()
    {
        const struct timespec modified = ModifiedTime(Archive);
        QFile file(Archive);
        const qint64 size = file.size();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_EQ(file.write(QByteArray(size, 'x')), size);
        file.close();
        SetModifiedTime(Archive, modified);
    }

    TTestFolder Folder;
    TTestFolder CacheFolder;
    QString Archive;
};

TEST_F(ArchiveCache, AnUnchangedArchiveIsListedWithoutBeingReadAndAChangedOneAfresh)
{
    int read = 0;
    const TArchiveContents first = ListOnce(&read);
    EXPECT_EQ(read, 1);
    ASSERT_EQ(first.State, asArchive);
    ASSERT_EQ(first.Members.size(), 1u);

    WreckKeepingStamp();
    const TArchiveContents cached = ListOnce(&read);
    EXPECT_EQ(read, 0);
    ASSERT_EQ(cached.State, asArchive);
    ASSERT_EQ(cached.Members.size(), 1u);
    EXPECT_EQ(cached.Members[0].Path, "Speed Racer (U) [!].z64");
    EXPECT_EQ(cached.Members[0].Size, 1048576);
    EXPECT_EQ(cached.Members[0].Header.Name(), first.Members[0].Header.Name());
    EXPECT_EQ(cached.Members[0].Header.Present, TCartridgeHeader::Length);

    // A nanosecond later is another file.
    struct timespec later = ModifiedTime(Archive);
    later.tv_nsec = (later.tv_nsec + 1) % 1000000000;
    SetModifiedTime(Archive, later);
    EXPECT_EQ(ListOnce(&read).State, asDamaged);
    EXPECT_EQ(read, 1);

    // So is one of another size with the same time.
    PackArchive(Folder, QStringLiteral("zip"), { "-q", "Other.zip", "Speed Racer (U) [!].z64" });
    ASSERT_TRUE(QFile::remove(Archive));
    ASSERT_TRUE(QFile::rename(Folder.Path("Other.zip"), Archive));
    ASSERT_TRUE(QFile::resize(Archive, QFile(Archive).size() + 1));
    SetModifiedTime(Archive, later);
    ListOnce(&read);
    EXPECT_EQ(read, 1);
}

TEST_F(ArchiveCache, TheListingOfTheWindowAndTheCliUsesTheUsersCacheFolder)
{
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(CacheFolder.Path()));
    const std::vector<TTextRow> first = ListCatalogue(Folder.Path(), QStringLiteral("*.zip"));
    EXPECT_TRUE(QFile::exists(CacheFolder.Path("Conveyor/") + TArchiveCache::FileName));
    WreckKeepingStamp();
    const std::vector<TTextRow> second = ListCatalogue(Folder.Path(), QStringLiteral("*.zip"));
    // The listing takes the time from the descriptor it reads the header from: a nanosecond
    // later is read afresh there too.
    struct timespec later = ModifiedTime(Archive);
    later.tv_nsec = (later.tv_nsec + 1) % 1000000000;
    SetModifiedTime(Archive, later);
    const std::vector<TTextRow> third = ListCatalogue(Folder.Path(), QStringLiteral("*.zip"));
    qputenv("XDG_CACHE_HOME", saved);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0][ccImageName], "SPEED RACER         ");
    EXPECT_EQ(second, first);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0][ccImageName], DamagedArchiveText);
}

TEST_F(ArchiveCache, NothingIsWrittenWhenNothingChangedAndGoneArchivesAreDropped)
{
    ListOnce();
    const ino_t written = InodeOf(CacheFile());
    ASSERT_NE(written, 0u);
    ListOnce();
    // The file is replaced whole when it is written: the same inode is the same file.
    EXPECT_EQ(InodeOf(CacheFile()), written);

    QFile cacheFile(CacheFile());
    ASSERT_TRUE(cacheFile.open(QIODevice::ReadOnly));
    const qint64 withArchive = cacheFile.size();
    cacheFile.close();
    ASSERT_TRUE(QFile::remove(Archive));
    Archive = Folder.Path("Another.zip");
    Folder.Write(QStringLiteral("readme.txt"), "not an image");
    PackArchive(Folder, QStringLiteral("zip"), { "-q", "Another.zip", "readme.txt" });
    ListOnce();
    // Only the new archive is left; it holds no image, so no member either.
    ASSERT_TRUE(cacheFile.open(QIODevice::ReadOnly));
    EXPECT_LT(cacheFile.size(), withArchive);
    const QByteArray bytes = cacheFile.readAll();
    EXPECT_TRUE(bytes.contains(StreamedText(Archive)));
    EXPECT_FALSE(bytes.contains(StreamedText(QStringLiteral("Speed Racer"))));
}

TEST_F(ArchiveCache, ACacheFileThatCannotBeTrustedIsIgnoredAndNeverAnError)
{
    ListOnce();
    QFile valid(CacheFile());
    ASSERT_TRUE(valid.open(QIODevice::ReadOnly));
    const QByteArray good = valid.readAll();
    valid.close();
    WreckKeepingStamp();

    QByteArray flipped = good;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 1);
    QByteArray otherVersion = good;
    otherVersion[11] = char(otherVersion[11] + 1);
    const std::vector<std::pair<const char*, QByteArray>> damaged = {
        { "garbage", QByteArray(4096, '\xA5') },
        { "truncated", good.left(good.size() - 5) },
        { "flipped bit", flipped },
        { "another version", otherVersion },
        { "empty", QByteArray() },
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        CacheFolder.Write(TArchiveCache::FileName, bytes);
        int read = 0;
        // The wrecked archive is read, so it is damaged: the cache was not believed.
        EXPECT_EQ(ListOnce(&read).State, asDamaged);
        EXPECT_EQ(read, 1);
        // And replaced by a sound one, which the next listing believes.
        ListOnce(&read);
        EXPECT_EQ(read, 0);
    }

    // A link to a sound cache is not followed, and not written through.
    TTestFolder elsewhere;
    elsewhere.Write(QStringLiteral("target"), good);
    ASSERT_TRUE(QFile::remove(CacheFile()));
    ASSERT_TRUE(QFile::link(elsewhere.Path("target"), CacheFile()));
    int read = 0;
    EXPECT_EQ(ListOnce(&read).State, asDamaged);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(elsewhere.Read(QStringLiteral("target")), good);

    // A FIFO in its place neither hangs the listing nor is replaced.
    ASSERT_TRUE(QFile::remove(CacheFile()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(CacheFile()).constData(), 0600), 0);
    EXPECT_EQ(ListOnce(&read).State, asDamaged);
    struct stat status
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(CacheFile()).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // A cache folder that cannot be made (a file is in its way) only costs the reading.
    const QString blocked = elsewhere.Write(QStringLiteral("not a folder"), "x");
    TArchiveCache cache(blocked);
    EXPECT_EQ(cache.Contents(Archive).State, asDamaged);
    cache.Save();
    EXPECT_EQ(cache.ArchivesRead(), 1);
}

} // namespace
