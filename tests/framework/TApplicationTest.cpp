#include "framework/TApplication.h"
#include "TErrorRecorder.h"
#include "platform/EFOpenError.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(TApplication, ErrorTextAppendsAFullStopOnlyAfterCharactersBeyondIt)
{
    // Letters, digits, ':' and '/' come after '.'; '!', ')', ',', '-' and '.' itself do not.
    EXPECT_EQ(TApplication::ErrorText("Cannot open file a.v64"), "Cannot open file a.v64.");
    EXPECT_EQ(TApplication::ErrorText("Error 5"), "Error 5.");
    EXPECT_EQ(TApplication::ErrorText("Path:"), "Path:.");
    EXPECT_EQ(TApplication::ErrorText("/home/"), "/home/.");
    EXPECT_EQ(TApplication::ErrorText(QStringLiteral("Größe ü")), QStringLiteral("Größe ü."));
    EXPECT_EQ(TApplication::ErrorText("Done..."), "Done...");
    EXPECT_EQ(TApplication::ErrorText("Warning!"), "Warning!");
    EXPECT_EQ(TApplication::ErrorText("(see above)"), "(see above)");
    EXPECT_EQ(TApplication::ErrorText("a,"), "a,");
    EXPECT_EQ(TApplication::ErrorText("a-"), "a-");
    EXPECT_EQ(TApplication::ErrorText("trailing blank "), "trailing blank ");
    EXPECT_EQ(TApplication::ErrorText(""), "");
}

TEST(TApplication, GuardShowsTheMessageWithTheTitleAsCaptionAndGoesOn)
{
    TApplication application;
    application.SetTitle("Conveyor v1.1.7.142");
    TErrorRecorder errors(application);

    bool after = false;
    application.Guard([] { throw EFOpenError("/roms/a.v64"); });
    application.Guard([] { throw Exception("Warning, could not locate any doctor on LPT1."); });
    application.Guard([] { throw std::runtime_error("bad things"); });
    application.Guard([] { throw 42; });
    application.Guard([&] { after = true; });

    ASSERT_EQ(errors.Boxes.size(), 4u);
    EXPECT_EQ(errors.Boxes[0].Caption, "Conveyor v1.1.7.142");
    EXPECT_EQ(errors.Boxes[0].Text, "Cannot open file /roms/a.v64.");
    EXPECT_EQ(errors.Boxes[1].Text, "Warning, could not locate any doctor on LPT1.");
    EXPECT_EQ(errors.Boxes[2].Text, "bad things.");
    EXPECT_FALSE(errors.Boxes[3].Text.isEmpty());
    EXPECT_TRUE(after);
}

TEST(TApplication, TitleIsReadWhenTheBoxIsShown)
{
    TApplication application;
    TErrorRecorder errors(application);
    application.SetTitle("First");
    application.ShowException("one");
    application.SetTitle("Second");
    application.ShowException("two");
    ASSERT_EQ(errors.Boxes.size(), 2u);
    EXPECT_EQ(errors.Boxes[0].Caption, "First");
    EXPECT_EQ(errors.Boxes[1].Caption, "Second");
}

TEST(TApplication, APresenterThatThrowsDoesNotEscapeTheGuard)
{
    TApplication application;
    application.SetErrorPresenter(
        [](const QString&, const QString&) { throw std::runtime_error("box"); });
    EXPECT_NO_THROW(application.Guard([] { throw Exception("x"); }));
}

TEST(TApplication, TheDefaultBoxHasTheErrorIconAndAnOkButton)
{
    const std::unique_ptr<QMessageBox> box = TApplication::CreateErrorBox("Conveyor", "Broken.");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box->windowTitle(), "Conveyor");
    EXPECT_EQ(box->text(), "Broken.");
}

TEST(TApplication, ProcessMessagesRunsPendingEvents)
{
    TApplication application;
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    QMetaObject::invokeMethod(
        &application, [&] { ++ran; }, Qt::QueuedConnection);
    EXPECT_EQ(ran, 0);
    application.ProcessMessages();
    EXPECT_EQ(ran, 2);
}

TEST(TApplication, AGuardWithoutApplicationSwallowsTheFailure)
{
    bool ran = false;
    EXPECT_NO_THROW(TApplication::Guard(nullptr, [&] {
        ran = true;
        throw Exception("nobody to tell");
    }));
    EXPECT_TRUE(ran);
}

TEST(TApplication, AWindowThatWaitsForADialogHandsItTheFocusAndTakesNoClose)
{
    TApplication application;
    QWidget main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    QWidget dialog(nullptr, Qt::Tool);
    dialog.show();
    dialog.windowHandle()->setTransientParent(main.windowHandle());
    main.setEnabled(false);

    // A click on the waiting window's frame makes it active; the dialog takes the focus back.
    main.windowHandle()->requestActivate();
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isVisible());

    // Once the dialog has let it go, the window is active and closes like any other.
    main.setEnabled(true);
    main.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::qWait(20);
    EXPECT_TRUE(main.isActiveWindow());
    EXPECT_TRUE(main.close());
}
