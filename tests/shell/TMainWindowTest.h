#pragma once

#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TTestFolder.h"
#include "TestImages.h"
#include "framework/TApplication.h"
#include "framework/TSpeedButton.h"
#include "shell/TFMain.h"
#include "widgets/TSortedStringGrid.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The real main window in a program folder of its own, so Conveyor.ini is a real file there,
// with the error box replaced by a recorder and the home folder moved into a test folder
// (a first start lists it). Images is a folder for the catalogue to list.
class TMainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FSavedHome = qgetenv("HOME");
        qputenv("HOME", Home.Path().toLocal8Bit());
    }

    void TearDown() override
    {
        Window.reset();
        qputenv("HOME", FSavedHome);
    }

    // A settings file whose start directory is Images, plus any further lines.
    void SettingsForImages(const QString& more = QString())
    {
        Program.Write(QStringLiteral("Conveyor.ini"),
            QStringLiteral("[Common]\nLast=1\n[Directories]\nLast=%1\n%2")
                .arg(Images.Path(), more)
                .toUtf8());
    }

    // Builds and shows the window, then lets the first scan run.
    TFMain& Start()
    {
        Window = std::make_unique<TFMain>(Application, Program.Path(QStringLiteral("conveyor")));
        QObject::connect(Window.get(), &TFMain::CatalogueRead, [this] { ++Scans; });
        Window->show();
        Settle();
        return *Window;
    }

    // Lets pending events run until no scan is waiting.
    void Settle()
    {
        auto* timer = Window->findChild<QTimer*>(QStringLiteral("Timer1"));
        for (int round = 0; round < 100; ++round) {
            QCoreApplication::processEvents();
            if (!timer->isActive())
                break;
            QTest::qWait(2);
        }
        QCoreApplication::processEvents();
    }

    // Lets every user into the test folders and write their files, so that code run
    // without the superuser's rights (TUnprivileged) meets only the permissions a test
    // takes away.
    void ShareWithEveryone() const
    {
        for (const TTestFolder* folder : { &Program, &Home, &Images }) {
            QFile::setPermissions(folder->Path(), QFile::Permissions(0x7777));
            QDirIterator entries(folder->Path(), QDir::Files | QDir::Hidden);
            while (entries.hasNext())
                QFile::setPermissions(entries.next(), QFile::Permissions(0x6666));
        }
    }

    template <class T> T* Find(const char* name) const
    {
        T* found = Window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            ADD_FAILURE() << "no control " << name;
        return found;
    }

    TSortedStringGrid* Grid() const { return Find<TSortedStringGrid>("StringGrid1"); }

    void ClickRow(int row)
    {
        const QRect cell = Grid()->visualRect(Grid()->model()->index(row, 0));
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // Types a new base name as a user would: the old one selected and replaced.
    void TypeNewName(const QString& text)
    {
        auto* edit = Find<QLineEdit>("Edit1");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    QString Ini() const { return QString::fromUtf8(Program.Read(QStringLiteral("Conveyor.ini"))); }
    // The value of one key in the settings file, as the file holds it now.
    QString IniValue(const QString& section, const QString& key) const
    {
        bool inSection = false;
        for (const QString& line : Ini().split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1Char('[')))
                inSection = line.compare(
                                QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive)
                    == 0;
            else if (inSection && line.startsWith(key + QLatin1Char('=')))
                return line.mid(key.size() + 1);
        }
        return QStringLiteral("(missing)");
    }

    // Which of ImageList1's pictures a header button (0 to 3) shows; -1 for none of them.
    int Marker(int button) const
    {
        const char* names[] = { "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5" };
        const QImage shown = Find<TSpeedButton>(names[button])->Glyph().toImage();
        for (int index = 0; index < Window->ImageList1().size(); ++index)
            if (Window->ImageList1()[index].toImage() == shown)
                return index;
        return -1;
    }

    TTestFolder Program;
    TTestFolder Home;
    TTestFolder Images;
    TApplication Application;
    TErrorRecorder Errors { Application };
    std::unique_ptr<TFMain> Window;
    int Scans = 0;

private:
    QByteArray FSavedHome;
};
