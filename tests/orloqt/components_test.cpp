// The component package's thread component, balloon tray icon and numeric
// edits, on real threads and widgets.
#include <orlo/doubleeditfunc.h>
#include <orloqt/doubleedit.h>
#include <orloqt/exttrayicon.h>
#include <orloqt/threadcomp.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLocale>
#include <QTest>

#include <pthread.h>

#include <atomic>
#include <string>

namespace {

using orloqt::TThreadComponent;

TEST(ThreadComponent, StartsOnlyOnResumeAndTellsItsEndOnItsOwnThread) {
    TThreadComponent component;
    component.setObjectName("Packer");
    std::atomic<bool> ran{false};
    std::string name;
    int created = 0, terminated = 0;
    component.OnCreate = [&](TThreadComponent*) { ++created; };
    component.OnExecute = [&](TThreadComponent* self) {
        char buffer[32] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof buffer);
        name = buffer;
        self->SetReturnValue(7);
        ran = true;
    };
    component.OnTerminate = [&](TThreadComponent*) {
        EXPECT_EQ(QThread::currentThread(), component.thread());
        ++terminated;
    };
    component.AfterConstruction();
    EXPECT_EQ(created, 1);
    QTest::qWait(50);
    EXPECT_FALSE(ran) << "created suspended";
    EXPECT_TRUE(component.GetSuspended());
    component.Resume();
    EXPECT_EQ(component.WaitFor(), 7);
    EXPECT_EQ(name, "Packer");
    EXPECT_TRUE(QTest::qWaitFor([&] { return terminated == 1; }));
    EXPECT_NE(component.GetThread(), nullptr) << "not freed on its end unless asked";
}

TEST(ThreadComponent, AThreadThatFreesItselfLeavesTheAccessorsAtTheirFallbacks) {
    int terminated = 0;
    {
        TThreadComponent component(nullptr, false);
        component.OnExecute = [](TThreadComponent* self) { self->SetReturnValue(3); };
        component.OnTerminate = [&](TThreadComponent*) { ++terminated; };
        component.GetThread();
        component.SetFreeOnTerminate(true);
        component.AfterConstruction();
        ASSERT_TRUE(QTest::qWaitFor([&] { return terminated == 1; }));
        EXPECT_EQ(component.GetThread(), nullptr);
        EXPECT_EQ(component.GetReturnValue(), 0);
        EXPECT_TRUE(component.GetSuspended());
        EXPECT_TRUE(component.GetTerminated());
        EXPECT_FALSE(component.GetFreeOnTerminate());
        EXPECT_EQ(component.WaitFor(), 0);
    }
    EXPECT_EQ(terminated, 1);
}

TEST(ThreadComponent, ThreadNamesComeFromTheNameGivenTheComponentOrInnerThread) {
    TThreadComponent named;
    named.setObjectName("ABitTooLongForTheSystem");
    EXPECT_EQ(orloqt::ThreadCompInnerThread::NameFor("", nullptr), "InnerThread");
    EXPECT_EQ(orloqt::ThreadCompInnerThread::NameFor("Sender", &named), "Sender");
    EXPECT_EQ(orloqt::ThreadCompInnerThread::NameFor("", &named), "ABitTooLongForT");
}

TEST(ExtTrayIcon, BalloonsShowOnlyWithTheIconCutToFitAndReportTheShell) {
    orloqt::TExtTrayIcon icon;
    int shown = 0, hidden = 0;
    QString title, text;
    icon.OnShowBalloon = [&](orloqt::TExtTrayIcon*) { ++shown; };
    icon.OnHideBalloon = [&](orloqt::TExtTrayIcon*) { ++hidden; };
    icon.OnBalloonShown = [&](const QString& t, const QString& x) {
        title = t;
        text = x;
    };
    icon.SetBalloonTitle(std::string(80, 'T'));
    icon.SetBalloonText(std::string(300, 'x'));
    icon.ShowBalloon();
    EXPECT_EQ(shown, 0) << "no balloon while the icon is hidden";

    icon.setIcon(QIcon(QPixmap(16, 16)));
    icon.show();
    ASSERT_TRUE(icon.isVisible());
    icon.ShowBalloon();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(title.size(), 63);
    EXPECT_EQ(text.size(), 255);
    icon.DoMessage(orloqt::kBalloonShown);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(icon.BalloonVisible());
    emit icon.messageClicked();
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(icon.BalloonVisible());
}

TEST(ExtTrayIcon, TheRestoreSettingSaysWhichClicksRestore) {
    using namespace orloqt;
    const struct {
        int setting;
        int notification;
        bool restores;
    } cases[] = {
        {1, kLeftDoubleClick, true},   {5, kLeftDoubleClick, true},   {0, kLeftDoubleClick, false},
        {0, kRightButtonDown, true},   {2, kMiddleButtonDown, true},  {1, kLeftButtonDown, false},
        {7, kRightDoubleClick, true},  {1, kMiddleDoubleClick, true}, {5, kMiddleDoubleClick, false},
        {6, kRightButtonUp, true},     {4, kLeftButtonUp, true},      {3, kMiddleButtonUp, true},
        {4, kMiddleButtonUp, false},   {3, kMouseMove, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrayRestores(c.setting, c.notification), c.restores) << c.setting << " " << c.notification;
    TExtTrayIcon icon;
    int restored = 0;
    icon.OnRestore = [&] { ++restored; };
    icon.RestoreSetting = 1;
    emit icon.activated(QSystemTrayIcon::DoubleClick);
    emit icon.activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(restored, 1);
}

TEST(DoubleEdit, TheKeyFilterTakesNonNegativeNumbersWithTheirDecimals) {
    const struct {
        const char16_t* text;
        int caret;
        char16_t key;
        int digits;
        char16_t result;
    } cases[] = {
        {u"", 0, u'.', -1, 0},        {u"1", 1, u'.', -1, u','},   {u"1", 1, u',', 2, u','},
        {u"1,5", 3, u'.', -1, 0},     {u"1,25", 4, u'3', 2, 0},    {u"1,25", 0, u'3', 2, u'3'},
        {u"1,25", 1, u'3', 2, u'3'},  {u"1,2", 3, u'5', 2, u'5'},  {u"12", 2, u'.', 0, 0},
        {u"12", 2, u',', 0, 0},       {u"1,234", 5, u'9', 0, u'9'}, {u"1", 1, u'-', -1, 0},
        {u"1", 1, u'a', -1, 0},       {u"1", 1, u'\b', 2, u'\b'},  {u"1", 1, u' ', -1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(orlo::DoubleEditKey(c.text, c.caret, c.key, c.digits, u','), c.result)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)) << " key "
            << char(c.key) << " digits " << c.digits;
}

TEST(DoubleEdit, TypingPutsTheLocalesSeparator) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    orloqt::TDoubleLabeledEdit labeled;
    labeled.SetDecimalDigits(2);
    QTest::keyClicks(labeled.Edit, "-1.257a");
    EXPECT_EQ(labeled.Edit->text().toStdString(), "1,25");
    labeled.Edit->setCursorPosition(0);
    QTest::keyClicks(labeled.Edit, "9");
    EXPECT_EQ(labeled.Edit->text().toStdString(), "91,25");
    QLocale::setDefault(before);
}

}  // namespace
