// The context menu of a page shown through the wrapper.
#include "browser_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

using browsertest::Browser;
using browsertest::waitUntil;

TEST(WebWrapperMenu, ARightClickShowsTheBrowsersMenuTheOwnersOrNone) {
    const struct {
        const char* what;
        bool popupEnabled;
        bool popupMenu;
        TPopupChoice choice;
    } cases[] = {
        {"popup not enabled", false, true, TPopupChoice::BrowserMenu},
        {"own menu", true, true, TPopupChoice::OwnMenu},
        {"enabled without a menu", true, false, TPopupChoice::NoMenu},
    };
    Browser b;
    QMenu own;
    own.addAction("Own entry");
    b.show("<html><body style=\"height: 400px\"><p>Right-click me</p></body></html>");
    ASSERT_TRUE(waitUntil([&] { return b.view->focusProxy() != nullptr; }));
    QSignalSpy handled(b.wrapper.get(), &TWebWrapper::ContextMenuHandled);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        b.wrapper->SetPopupEnabled(c.popupEnabled);
        b.wrapper->SetPopupMenu(c.popupMenu ? &own : nullptr);
        const int before = handled.count();
        QTest::mouseClick(b.view->focusProxy(), Qt::RightButton, {}, QPoint(40, 40));
        ASSERT_TRUE(waitUntil([&] { return handled.count() > before; }));
        EXPECT_EQ(handled.last()[0].toInt(), static_cast<int>(c.choice));

        QWidget* popup = QApplication::activePopupWidget();
        switch (c.choice) {
        case TPopupChoice::BrowserMenu:
            ASSERT_NE(popup, nullptr);
            EXPECT_NE(popup, &own);
            break;
        case TPopupChoice::OwnMenu: EXPECT_EQ(popup, &own); break;
        case TPopupChoice::NoMenu: EXPECT_EQ(popup, nullptr); break;
        }
        if (popup) popup->close();
        ASSERT_TRUE(waitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
    }
}

}  // namespace
