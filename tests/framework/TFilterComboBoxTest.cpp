#include "framework/TFilterComboBox.h"
#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "framework/TApplication.h"
#include "platform/Exception.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(TFilterComboBox, ListsTheDescriptionsAndGivesTheChosenMask)
{
    TFilterComboBox box;
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(box.Mask(), "*.*");

    box.SetFilter("Wave files (*.wav)|*.wav|All files (*.*)|*.*");
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), "Wave files (*.wav)");
    EXPECT_EQ(box.itemText(1), "All files (*.*)");
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.Mask(), "*.wav");
    box.setCurrentIndex(1);
    EXPECT_EQ(box.Mask(), "*.*");

    box.SetFilter("Images|*.v64;*.jap|Odd one out");
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.Mask(), "*.v64;*.jap");
    box.setCurrentIndex(1);
    EXPECT_EQ(box.Mask(), "*.*") << "a description without a mask";

    box.SetFilter("");
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.Mask(), "*.*");
}

TEST(TFilterComboBox, EveryChangeOfItemLetsTheLinksFollowThenRaisesChange)
{
    TApplication application;
    TErrorRecorder errors(application);
    TFilterComboBox box;
    box.SetApplication(&application);
    box.SetFilter("Wave files (*.wav)|*.wav|All files (*.*)|*.*");

    QStringList log;
    QObject fileList;
    box.AddLink(&fileList, [&](const QString& mask) {
        log << "mask " + mask;
        if (mask == "*.*")
            throw Exception("Cannot read the folder");
    });
    QObject::connect(&box, &TFilterComboBox::Change, [&] { log << "change"; });

    box.show();
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(log, QStringList { "mask *.*" }) << "a failing link stops the change event";
    EXPECT_EQ(errors.LastText(), "Cannot read the folder.");

    box.setCurrentIndex(0);
    box.setCurrentIndex(0);
    EXPECT_EQ(log, (QStringList { "mask *.*", "mask *.wav", "change" }));

    // A new filter chooses its first item, which is a change of mask.
    box.SetFilter("Images|*.v64|Wave files (*.wav)|*.wav");
    EXPECT_EQ(log.mid(3), (QStringList { "mask *.v64", "change" }));
}
