#include "render/tpreviewavi.h"

#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentclient {

TPreviewAvi::TPreviewAvi(QWidget* parent, const std::string& appDir)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName("PreviewAvi");
    setWindowTitle("Generating preview");
    Animate1 = new QLabel(this);
    Animate1->setObjectName("Animate1");
    Animate1->setAlignment(Qt::AlignCenter);
    movie_ = new QMovie(QString::fromStdString(appDir + "/data/res/cogs.gif"), QByteArray(), this);
    Animate1->setMovie(movie_);
    // Endless, whatever loop count the file carries.
    connect(movie_, &QMovie::finished, this, [this] {
        if (isVisible()) movie_->start();
    });
    LabelPages = new QLabel(this);
    LabelPages->setObjectName("LabelPages");
    LabelPages->setAlignment(Qt::AlignCenter);
    LabelPages->hide();
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Animate1, 1);
    layout->addWidget(LabelPages);
    layout->addWidget(ButtonCancel, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TPreviewAvi::~TPreviewAvi() = default;

void TPreviewAvi::setProgress(const std::string& text) {
    LabelPages->setText(QString::fromStdString(text));
    LabelPages->setVisible(!text.empty());
}

void TPreviewAvi::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    movie_->stop();
    movie_->jumpToFrame(0);
    movie_->start();
}

void TPreviewAvi::hideEvent(QHideEvent* event) {
    movie_->stop();
    QDialog::hideEvent(event);
}

// Escape and the title bar's close ask to cancel; the window goes when the
// processor has ended.
void TPreviewAvi::reject() {
    if (onCancel_) onCancel_();
}

}  // namespace zentclient
