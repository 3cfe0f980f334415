// A tray icon with notification balloons: a title, a text and an icon shown
// beside the icon (through the desktop's notification service where the tray
// has one), events when the balloon is shown or hidden, and the mouse
// actions that restore the application.
#pragma once

#include <QSystemTrayIcon>

#include <functional>
#include <string>

namespace orloqt {

enum TBalloonIcon : int {
    biNone = 0,
    biInfo = 1,
    biWarning = 2,
    biError = 3,
    biIconMask = 0x0F,
    biNoSound = 0x10,
};

// The shell's notifications of a tray icon, as its callback message numbers
// them.
enum TrayNotification : int {
    kMouseMove = 0x200,
    kLeftButtonDown = 0x201,
    kLeftButtonUp = 0x202,
    kLeftDoubleClick = 0x203,
    kRightButtonDown = 0x204,
    kRightButtonUp = 0x205,
    kRightDoubleClick = 0x206,
    kMiddleButtonDown = 0x207,
    kMiddleButtonUp = 0x208,
    kMiddleDoubleClick = 0x209,
    kBalloonShown = 0x402,
    kBalloonHidden = 0x403,
    kBalloonTimedOut = 0x404,
    kBalloonClicked = 0x405,
};

class TExtTrayIcon : public QSystemTrayIcon {
public:
    explicit TExtTrayIcon(QObject* parent = nullptr);

    // Longer texts are cut: the balloon holds 255 characters of text, 63 of title.
    static constexpr int kMaxText = 255;
    static constexpr int kMaxTitle = 63;

    const std::string& BalloonTitle() const { return title_; }
    const std::string& BalloonText() const { return text_; }
    TBalloonIcon BalloonIcon() const { return icon_; }
    void SetBalloonTitle(const std::string& title) { title_ = title; }
    void SetBalloonText(const std::string& text) { text_ = text; }
    void SetBalloonIcon(TBalloonIcon icon) { icon_ = icon; }
    bool BalloonVisible() const { return balloonVisible_; }

    // Shows the balloon, only while the icon is visible; then OnShowBalloon.
    void ShowBalloon();
    // Withdraws the balloon where the desktop lets it; no event.
    void HideBalloon();
    void SetBalloonVisible(bool visible) { visible ? ShowBalloon() : HideBalloon(); }

    // The shell's report for this icon: balloon shown, hidden, timed out or
    // clicked, and the mouse, which restores the application as
    // RestoreSetting says.
    void DoMessage(int notification);

    // Which clicks restore the application (the values the restore table uses).
    int RestoreSetting = 1;
    std::function<void()> OnRestore;
    std::function<void(TExtTrayIcon*)> OnShowBalloon;
    std::function<void(TExtTrayIcon*)> OnHideBalloon;
    // The balloons the desktop was asked to show: title and text as shown.
    std::function<void(const QString& title, const QString& text)> OnBalloonShown;

private:
    std::string title_, text_;
    TBalloonIcon icon_ = biInfo;
    bool balloonVisible_ = false;
};

// Whether a mouse notification restores the application under a restore setting.
bool TrayRestores(int restoreSetting, int notification);

}  // namespace orloqt
