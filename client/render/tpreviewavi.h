// PreviewAvi: the small always-on-top window that plays a looping busy
// animation while the processor runs, says how many pages are ready and
// lets the user cancel.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QMovie;
class QPushButton;

namespace zentclient {

class TPreviewAvi : public QDialog {
    Q_OBJECT
public:
    // appDir: where data/res/cogs.gif is.
    TPreviewAvi(QWidget* parent, const std::string& appDir);
    ~TPreviewAvi() override;

    // "Page 3 of 12"; empty hides the line.
    void setProgress(const std::string& text);
    // Called when the user presses Cancel or closes the window.
    void setOnCancel(std::function<void()> onCancel) { onCancel_ = std::move(onCancel); }

    QLabel* Animate1 = nullptr;
    QLabel* LabelPages = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QMovie* movie() const { return movie_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void reject() override;

private:
    QMovie* movie_ = nullptr;
    std::function<void()> onCancel_;
};

}  // namespace zentclient
