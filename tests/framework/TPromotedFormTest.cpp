#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TTestFolder.h"
#include "framework/TApplication.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TDriveComboBox.h"
#include "framework/TEventBinder.h"
#include "platform/Exception.h"
#include "ui_TPromotedForm.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// A window built from a .ui file the way the program's windows are.
class TPromotedWindow : public QWidget
{
public:
    explicit TPromotedWindow(TApplication& application)
    {
        Ui.setupUi(this);
        TEventBinder::Bind(application, *this, Ui,
            {
                { &Ui_TPromotedForm::DirectoryListBox1, ekChange,
                    &TPromotedWindow::DirectoryListBox1Change },
                { &Ui_TPromotedForm::FilterComboBox1, ekChange,
                    &TPromotedWindow::FilterComboBox1Change },
                { &Ui_TPromotedForm::SpeedButton8, ekClick, &TPromotedWindow::SpeedButton8Click },
            });
        Ui.DriveComboBox1->SetDirList(Ui.DirectoryListBox1);
    }

    void DirectoryListBox1Change()
    {
        Log << "DirectoryListBox1Change " + QDir(Ui.DirectoryListBox1->Directory()).dirName();
    }
    void FilterComboBox1Change() { Log << "FilterComboBox1Change " + Ui.FilterComboBox1->Mask(); }
    void SpeedButton8Click() { throw Exception("No File Selected!"); }

    Ui::TPromotedForm Ui;
    QStringList Log;
};

} // namespace

TEST(TPromotedForm, TheControlsTakeTheirPropertiesFromTheUiFile)
{
    TApplication application;
    TPromotedWindow window(application);

    EXPECT_EQ(window.objectName(), "FPromoted");
    EXPECT_EQ(window.Ui.SpeedButton8->text(), "Deliver");
    EXPECT_EQ(window.Ui.SpeedButton8->Margin(), 5);
    EXPECT_FALSE(window.Ui.SpeedButton8->Flat());
    EXPECT_EQ(window.Ui.SpeedButton8->Glyph().size(), QSize(16, 16));
    EXPECT_EQ(window.Ui.FilterComboBox1->count(), 2);
    EXPECT_EQ(window.Ui.FilterComboBox1->Mask(), "*.wav");
    EXPECT_EQ(window.Ui.Animate1->CommonAVI(), TAnimate::aviCopyFile);
    EXPECT_EQ(window.Ui.Animate1->StopFrame(), 20);
    EXPECT_TRUE(window.Ui.Animate1->Active());
    EXPECT_TRUE(window.Ui.StatusBar1->isSizeGripEnabled());
    EXPECT_GE(window.Ui.DriveComboBox1->count(), 1);
}

TEST(TPromotedForm, BoundHandlersOfTheBuiltWindowRunInTheGuard)
{
    TApplication application;
    application.SetTitle("Conveyor Open Dialog");
    TErrorRecorder errors(application);
    TPromotedWindow window(application);
    const TTestFolder folder;
    QDir().mkpath(folder.Path("sounds"));

    window.Ui.DirectoryListBox1->SetDirectory(folder.Path("sounds"));
    window.Ui.FilterComboBox1->setCurrentIndex(1);
    EXPECT_EQ(window.Log,
        (QStringList { "DirectoryListBox1Change sounds", "FilterComboBox1Change *.*" }));
    EXPECT_EQ(window.Ui.DriveComboBox1->Drive(),
        window.Ui.DriveComboBox1->Volumes()
            .at(VolumeOf(window.Ui.DriveComboBox1->Volumes(), folder.Path("sounds")))
            .Top);

    window.Ui.SpeedButton8->click();
    ASSERT_EQ(errors.Boxes.size(), 1u);
    EXPECT_EQ(errors.Boxes[0].Caption, "Conveyor Open Dialog");
    EXPECT_EQ(errors.Boxes[0].Text, "No File Selected!");
}
