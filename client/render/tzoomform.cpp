#include "render/tzoomform.h"

#include <zentcore/jobfiles.h>

#include "render/renderrequester.h"

#include <zentcore/application.h>
#include <zentcore/pageborders.h>
#include <zentcore/renderthread.h>
#include <zplatform/prompter.h>

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

namespace zentclient {

namespace {

QRadioButton* zoomButton(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

}  // namespace

TZoomForm::TZoomForm(QWidget* parent, std::string appDir, ShowWindow showBusy)
    : QDialog(parent), appDir_(std::move(appDir)) {
    setObjectName("ZoomForm");
    setWindowTitle("Preview");
    render_ = std::make_unique<RenderRequester>(this, appDir_, std::move(showBusy));

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(false);
    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    ScrollBox1->setWidget(Image1);
    // The viewport's own resize: by then the area's new size is known.
    ScrollBox1->viewport()->installEventFilter(this);

    auto* pageLabel = new QLabel("Page", this);
    UpDown1 = new QSpinBox(this);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setMinimum(1);
    UpDown1->setMaximum(1);
    UpDown1->setWrapping(false);
    StaticText1 = new QLabel(this);
    StaticText1->setObjectName("StaticText1");
    connect(UpDown1, &QSpinBox::valueChanged, this, [this] { UpDown1Click(); });

    RadioButton1 = zoomButton(this, "RadioButton1", "1:1", "Original size");
    RadioButton2 = zoomButton(this, "RadioButton2", "50%", "50% of original size");
    RadioButton3 = zoomButton(this, "RadioButton3", "25%", "25% of original size");
    RadioButton4 = zoomButton(this, "RadioButton4", "F/width", "Fight in window width");
    RadioButton5 = zoomButton(this, "RadioButton5", "F/height", "Fit in window height");
    RadioButton1->setChecked(true);
    auto* group = new QButtonGroup(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(pageLabel);
    bar->addWidget(UpDown1);
    bar->addWidget(StaticText1);
    bar->addSpacing(16);
    for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5}) {
        group->addButton(b);
        bar->addWidget(b);
    }
    bar->addStretch();
    connect(group, &QButtonGroup::buttonClicked, this, [this] { RadioButtonClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(ScrollBox1, 1);
    resize(720, 800);
}

TZoomForm::~TZoomForm() { render_.reset(); }

bool TZoomForm::rendering() const { return render_->running(); }

bool TZoomForm::Prepare(zentcore::TQueuedJob& job, const std::string& workDir,
                        const zentcore::ProcessorLocator& locate, bool mayWriteMachine) {
    if (rendering()) return false;
    job_ = &job;
    workDir_ = workDir;
    mayWriteMachine_ = mayWriteMachine;
    const auto prefix = zentcore::PreparePagePrefix(job.BaseName);
    if (!prefix) return false;
    prefix_ = *prefix;
    if (job.Pages < 1) {
        platform::prompter().warn(zentcore::kApplicationTitle, kNoPagesMessage);
        return false;
    }
    {
        const QSignalBlocker quiet(UpDown1);
        UpDown1->setMaximum(job.Pages);
        UpDown1->setValue(1);
    }
    StaticText1->setText(QString("1/%1").arg(job.Pages));
    const auto processor = zentcore::ResolveProcessorPath(locate, mayWriteMachine);
    if (!processor) return false;
    processor_ = *processor;
    renderPending_ = true;
    return true;
}

void TZoomForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (renderPending_) {
        renderPending_ = false;
        startRendering();
    }
}

void TZoomForm::startRendering() {
    page_ = QImage();
    Image1->clear();
    Image1->resize(0, 0);
    zentcore::RenderRequest request;
    request.processor = processor_;
    request.colour = job_->Color != 0;
    request.use = zentcore::RenderUse::Preview;
    request.pagePrefix = prefix_;
    request.input = zentcore::FilesOf(*job_, workDir_).ztp();
    render_->start(zentcore::BuildRenderCommandLine(request, mayWriteMachine_), request, job_->Pages,
                   zentcore::kPreviewReadyMessage, [this](RenderRequester::Outcome outcome) {
                       if (outcome == RenderRequester::Outcome::Finished) imagesReady();
                   });
}

void TZoomForm::imagesReady() {
    RadioButton1->setChecked(true);
    // No page 1 (the processor failed): the window stays, empty.
    if (!loadPage(1)) return;
    applyZoom();
    if (job_) job_->Previewed = true;
}

bool TZoomForm::loadPage(int page) {
    QImage image;
    if (!image.load(QString::fromStdString(zentcore::PageFile(prefix_, page, zentcore::kPreviewExtension)))) {
        return false;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    if (const auto b = job_ ? zentcore::ComputePageBorders(image.width(), image.height(), job_->PageGeometry)
                            : std::nullopt) {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
        painter.drawLine(QLineF(b->x1, 0, b->x1, b->lineEndY));
        painter.drawLine(QLineF(b->x2, 0, b->x2, b->lineEndY));
        painter.drawLine(QLineF(0, b->y1, b->lineEndX, b->y1));
        painter.drawLine(QLineF(0, b->y2, b->lineEndX, b->y2));
    }
    page_ = image;
    Image1->setPixmap(QPixmap::fromImage(page_));
    return true;
}

void TZoomForm::UpDown1Click() {
    if (!job_ || rendering()) return;
    const int page = UpDown1->value();
    if (loadPage(page)) {
        // The zoom mode is not applied again: a stretched image keeps its size.
        if (!Image1->hasScaledContents()) Image1->resize(page_.size());
    }
    StaticText1->setText(QString("%1/%2").arg(page).arg(job_->Pages));
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void TZoomForm::RadioButtonClick() { applyZoom(); }

void TZoomForm::applyZoom() {
    const int w = page_.width(), h = page_.height();
    if (RadioButton1->isChecked()) {
        Image1->setScaledContents(false);
        Image1->resize(page_.size());
    } else if (RadioButton2->isChecked() || RadioButton3->isChecked()) {
        const int n = RadioButton2->isChecked() ? 2 : 4;
        Image1->setScaledContents(true);
        Image1->resize(w / n, h / n);
    } else if (RadioButton4->isChecked()) {
        fitWidth();
    } else if (RadioButton5->isChecked()) {
        fitHeight();
    }
}

void TZoomForm::fitWidth() {
    if (page_.width() == 0 || page_.height() == 0) return;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox1);
    int w = ScrollBox1->viewport()->width() + (ScrollBox1->verticalScrollBar()->isVisible() ? bar : 0);
    const int h = ScrollBox1->viewport()->height() + (ScrollBox1->horizontalScrollBar()->isVisible() ? bar : 0);
    const double r = double(page_.width()) / double(page_.height());
    int height = int(w / r);
    // Taller than the area: a vertical bar will appear and take its width.
    if (height > h) {
        w -= bar;
        height = int(w / r);
    }
    Image1->setScaledContents(true);
    Image1->resize(w, height);
}

void TZoomForm::fitHeight() {
    if (page_.width() == 0 || page_.height() == 0) return;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox1);
    const int h = ScrollBox1->viewport()->height() + (ScrollBox1->horizontalScrollBar()->isVisible() ? bar : 0);
    const double r = double(page_.width()) / double(page_.height());
    Image1->setScaledContents(true);
    Image1->resize(int(h * r), h);
}

bool TZoomForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::Resize) {
        if (RadioButton4->isChecked()) fitWidth();
        else if (RadioButton5->isChecked()) fitHeight();
    }
    return QDialog::eventFilter(watched, event);
}

void TZoomForm::done(int result) {
    // Closing while the processor runs ends it; its pages go with it.
    if (rendering()) render_->cancel();
    deletePages();
    page_ = QImage();
    Image1->clear();
    QDialog::done(result);
}

void TZoomForm::deletePages() {
    if (!prefix_.empty()) zentcore::DeletePageFiles(prefix_, zentcore::kPreviewExtension);
}

}  // namespace zentclient
