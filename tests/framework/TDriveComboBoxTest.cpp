#include "framework/TDriveComboBox.h"
#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TTestFolder.h"
#include "framework/TApplication.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TVolume.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray SampleMountInfo = R"(22 27 0:21 / /proc rw,relatime - proc proc rw
23 27 0:22 / /sys rw,relatime shared:7 - sysfs sysfs rw
27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,discard
28 27 0:25 / /mnt/sandboxing/tools ro,nosuid - tmpfs tools ro,size=4k
29 27 254:1 / /home rw,relatime shared:30 - ext4 /dev/vda2 rw
30 27 0:30 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,mode=755
31 30 0:31 / /run/user/1000 rw,nosuid shared:50 - tmpfs tmpfs rw,size=1600k
32 31 0:40 / /run/user/1000/gvfs rw,nosuid shared:52 - fuse.gvfsd-fuse gvfsd-fuse rw
33 30 8:17 / /run/media/ann/N64\040ROMS rw,nosuid,nodev shared:60 master:2 - vfat /dev/sdb1 rw,fmask=0022
34 27 8:33 / /media/ann/CARD rw,nosuid - exfat /dev/sdc1 rw
35 27 0:50 / /media/cdrom rw - autofs systemd-1 rw
36 27 8:49 / /mnt/data rw - xfs /dev/sdd1 rw
37 27 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro
38 27 8:65 / /media/ann/CARD rw - ext4 /dev/sde1 rw
39 27 8:81 / /boot/efi rw - vfat /dev/sda1 rw
broken line
40 27 8:97 /sub /media/back\134slash\011tab rw - ntfs3 /dev/sdf1 rw
)";

QStringList Tops(const QList<TVolume>& volumes)
{
    QStringList tops;
    for (const TVolume& volume : volumes)
        tops << volume.Top;
    return tops;
}

} // namespace

TEST(TVolume, ParseMountInfoReadsMountPointTypeAndSource)
{
    const QList<TVolume> mounts = ParseMountInfo(SampleMountInfo);
    ASSERT_EQ(mounts.size(), 16) << "the broken line is skipped";
    EXPECT_EQ(mounts[0].Top, "/proc");
    EXPECT_EQ(mounts[0].FileSystem, "proc");
    EXPECT_EQ(mounts[2].Top, "/");
    EXPECT_EQ(mounts[2].FileSystem, "ext4");
    EXPECT_EQ(mounts[2].Source, "/dev/vda1");
    // Optional fields before the separator, and escapes in paths.
    EXPECT_EQ(mounts[8].Top, "/run/media/ann/N64 ROMS");
    EXPECT_EQ(mounts[8].FileSystem, "vfat");
    EXPECT_EQ(mounts[8].Source, "/dev/sdb1");
    EXPECT_EQ(mounts.back().Top, "/media/back\\slash\ttab");
    EXPECT_EQ(mounts.back().FileSystem, "ntfs3");
}

TEST(TVolume, AMountPointNamedInLatin1KeepsItsBytes)
{
    const QList<TVolume> mounts
        = ParseMountInfo("33 30 8:17 / /media/ann/Caf\xe9\\040N64 rw - vfat /dev/sdb1 rw\n");
    ASSERT_EQ(mounts.size(), 1);
    EXPECT_EQ(EncodeRawText(mounts[0].Top), "/media/ann/Caf\xe9 N64");
}

TEST(TVolume, BrowsableVolumesAreRootHomeAndRealMediaOnly)
{
    const QList<TVolume> volumes = BrowsableVolumes(ParseMountInfo(SampleMountInfo), "/home/ann");
    EXPECT_EQ(Tops(volumes),
        (QStringList { "/", "/home/ann", "/media/ann/CARD", "/media/back\\slash\ttab", "/mnt/data",
            "/run/media/ann/N64 ROMS" }));
    EXPECT_EQ(volumes[0].Kind, vkFixed);
    EXPECT_EQ(volumes[1].Kind, vkHome);
    EXPECT_EQ(volumes[1].Source, "/dev/vda2") << "home lies on the /home volume";
    EXPECT_EQ(volumes[2].Kind, vkRemovable);
    EXPECT_EQ(volumes[2].FileSystem, "ext4") << "the card mounted over keeps only its last mount";
    EXPECT_EQ(volumes[4].Kind, vkFixed);
    EXPECT_EQ(volumes[5].Kind, vkRemovable);

    // Without any mounts there is still the root; a home at the root is not listed twice.
    EXPECT_EQ(Tops(BrowsableVolumes({}, "/")), QStringList { "/" });
    EXPECT_EQ(Tops(BrowsableVolumes({}, "/root/")), (QStringList { "/", "/root" }));
}

TEST(TVolume, VolumeOfFindsTheLongestLeadingFolder)
{
    const QList<TVolume> volumes = BrowsableVolumes(ParseMountInfo(SampleMountInfo), "/home/ann");
    EXPECT_EQ(VolumeOf(volumes, "/"), 0);
    EXPECT_EQ(VolumeOf(volumes, "/usr/share"), 0);
    EXPECT_EQ(VolumeOf(volumes, "/home/ann/roms"), 1);
    EXPECT_EQ(VolumeOf(volumes, "/home/annette"), 0) << "a name that only begins like the top";
    EXPECT_EQ(VolumeOf(volumes, "/media/ann/CARD"), 2);
    EXPECT_EQ(VolumeOf({}, "/"), -1);
}

TEST(TVolume, ThisSystemAlwaysOffersTheRootAndHome)
{
    const QList<TVolume> volumes = MountedVolumes();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes[0].Top, "/");
    if (QDir::homePath() != "/") {
        ASSERT_GE(volumes.size(), 2);
        EXPECT_EQ(volumes[1].Top, QDir::cleanPath(QDir::homePath()));
    }
}

namespace {

// Two folders of a test folder stand in for volumes.
class TDriveComboBoxTest : public ::testing::Test
{
protected:
    TDriveComboBoxTest()
        : Errors(Application)
    {
        for (const char* folder : { "disk/roms/pal", "disk/docs", "stick/games" })
            QDir().mkpath(Folder.Path(folder));
        Disk = QDir::cleanPath(Folder.Path("disk"));
        Stick = QDir::cleanPath(Folder.Path("stick"));
        Drives.SetApplication(&Application);
        List.SetApplication(&Application);
        Drives.SetVolumeSource([this] {
            return QList<TVolume> { { "/", "ext4", "/dev/vda", vkFixed },
                { Disk, "ext4", "/dev/sdb", vkFixed },
                { Stick, "vfat", "/dev/sdc1", vkRemovable } };
        });
        List.SetDirectory(Disk + "/roms");
        Drives.SetDirList(&List);
        QObject::connect(&Drives, &TDriveComboBox::Change, [this] { Changes << List.Directory(); });
    }

    TApplication Application;
    TErrorRecorder Errors;
    TTestFolder Folder;
    QString Disk;
    QString Stick;
    TDirectoryListBox List;
    TDriveComboBox Drives;
    QStringList Changes;
};

} // namespace

TEST_F(TDriveComboBoxTest, ShowsTheVolumeOfTheDirectoryList)
{
    ASSERT_EQ(Drives.count(), 3);
    EXPECT_EQ(Drives.itemText(0), "/");
    EXPECT_EQ(Drives.itemText(2), "stick");
    EXPECT_FALSE(Drives.itemIcon(2).isNull());
    EXPECT_EQ(Drives.Drive(), Disk);

    // The list moving elsewhere by itself takes the box along, without a change event.
    List.SetDirectory(Stick + "/games");
    EXPECT_EQ(Drives.Drive(), Stick);
    List.SetDirectory("/tmp");
    EXPECT_EQ(Drives.Drive(), "/");
    EXPECT_TRUE(Changes.isEmpty());
}

TEST_F(TDriveComboBoxTest, ChoosingAVolumeOpensTheFolderLastShownThereOrItsTop)
{
    Drives.setCurrentIndex(2);
    EXPECT_EQ(List.Directory(), Stick);
    EXPECT_EQ(Changes, QStringList { Stick });

    Drives.setCurrentIndex(1);
    EXPECT_EQ(List.Directory(), Disk + "/roms");
    List.SetDirectory(Disk + "/roms/pal");

    Drives.setCurrentIndex(2);
    List.SetDirectory(Stick + "/games");
    Drives.setCurrentIndex(1);
    EXPECT_EQ(List.Directory(), Disk + "/roms/pal");

    // The folder last shown on the stick has gone: its top opens.
    ASSERT_TRUE(QDir(Stick + "/games").removeRecursively());
    Drives.SetDrive(Stick);
    EXPECT_EQ(List.Directory(), Stick);
    EXPECT_EQ(Changes, (QStringList { Stick, Disk + "/roms", Stick, Disk + "/roms/pal", Stick }));
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TDriveComboBoxTest, AVolumeThatHasGoneShowsTheErrorBoxAndTheBoxStays)
{
    ASSERT_TRUE(QDir(Stick).removeRecursively());
    Drives.setCurrentIndex(2);
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text, "Cannot open folder " + Stick + ": No such file or directory.");
    EXPECT_EQ(List.Directory(), Disk + "/roms");
    EXPECT_EQ(Drives.Drive(), Disk);
    EXPECT_TRUE(Changes.isEmpty());
}

TEST_F(TDriveComboBoxTest, RefreshKeepsTheChosenVolume)
{
    Drives.SetDrive(Stick);
    Drives.Refresh();
    EXPECT_EQ(Drives.Drive(), Stick);
    EXPECT_EQ(Changes.size(), 1);
}

TEST_F(TDriveComboBoxTest, AFolderNamedInLatin1IsReturnedToAndAVolumeThereReadsWell)
{
    const QByteArray cafe = QFile::encodeName(Stick) + "/Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0777), 0);
    List.SetDirectory(DecodeRawText(cafe));
    EXPECT_EQ(Drives.Drive(), Stick);
    Drives.setCurrentIndex(1);
    Drives.setCurrentIndex(2);
    EXPECT_EQ(EncodeRawText(List.Directory()), cafe) << "the folder last shown on the stick";

    // A volume mounted there.
    Drives.SetVolumeSource([&cafe] {
        return QList<TVolume> { { "/", "ext4", "/dev/vda", vkFixed },
            { DecodeRawText(cafe), "vfat", "/dev/sdc1", vkRemovable } };
    });
    EXPECT_EQ(Drives.Drive(), DecodeRawText(cafe));
    EXPECT_EQ(Drives.itemText(1), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(Drives.itemData(1, Qt::ToolTipRole).toString(),
        QDir::cleanPath(Folder.Path("stick")) + QString::fromUtf8("/Caf\xc3\xa9 (vfat)"));
    EXPECT_TRUE(Errors.Boxes.empty());
}
