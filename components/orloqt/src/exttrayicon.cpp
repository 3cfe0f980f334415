#include <orloqt/exttrayicon.h>

namespace orloqt {

namespace {

constexpr int kBalloonMilliseconds = 10000;

QSystemTrayIcon::MessageIcon messageIcon(TBalloonIcon icon) {
    switch (icon & biIconMask) {
    case biInfo: return QSystemTrayIcon::Information;
    case biWarning: return QSystemTrayIcon::Warning;
    case biError: return QSystemTrayIcon::Critical;
    default: return QSystemTrayIcon::NoIcon;
    }
}

// Cut to at most n characters, never inside a UTF-8 sequence.
QString cut(const std::string& text, int n) { return QString::fromStdString(text).left(n); }

}  // namespace

bool TrayRestores(int v, int notification) {
    switch (notification) {
    case kLeftDoubleClick: return v == 1 || v == 5;
    case kLeftButtonDown:
    case kMiddleButtonDown:
    case kRightButtonDown: return v == 0 || v == 2;
    case kRightDoubleClick: return v == 1 || v == 7;
    case kMiddleDoubleClick: return v == 1;
    case kRightButtonUp: return v == 3 || v == 6;
    case kLeftButtonUp: return v == 3 || v == 4;
    case kMiddleButtonUp: return v == 3;
    default: return false;
    }
}

TExtTrayIcon::TExtTrayIcon(QObject* parent) : QSystemTrayIcon(parent) {
    // Qt tells of clicks on the icon and on a balloon; the shell's
    // notification numbers carry them to the one handler.
    connect(this, &QSystemTrayIcon::messageClicked, this, [this] { DoMessage(kBalloonClicked); });
    connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
        switch (reason) {
        case Trigger: DoMessage(kLeftButtonUp); break;
        case DoubleClick: DoMessage(kLeftDoubleClick); break;
        case MiddleClick: DoMessage(kMiddleButtonUp); break;
        case Context: DoMessage(kRightButtonUp); break;
        default: break;
        }
    });
}

void TExtTrayIcon::ShowBalloon() {
    if (!isVisible()) return;
    const QString title = cut(title_, kMaxTitle), text = cut(text_, kMaxText);
    showMessage(title, text, messageIcon(icon_), kBalloonMilliseconds);
    if (OnBalloonShown) OnBalloonShown(title, text);
    if (OnShowBalloon) OnShowBalloon(this);
}

void TExtTrayIcon::HideBalloon() {
    // A message once shown cannot be taken back through Qt: the desktop
    // closes it when it times out or is clicked. The balloon's own title,
    // text and icon stay for the next ShowBalloon.
}

void TExtTrayIcon::DoMessage(int notification) {
    switch (notification) {
    case kBalloonShown:
        balloonVisible_ = true;
        if (OnShowBalloon) OnShowBalloon(this);
        return;
    case kBalloonHidden:
    case kBalloonTimedOut:
    case kBalloonClicked:
        balloonVisible_ = false;
        if (OnHideBalloon) OnHideBalloon(this);
        return;
    default:
        if (TrayRestores(RestoreSetting, notification) && OnRestore) OnRestore();
    }
}

}  // namespace orloqt
