#include <zsyncqt/tdetailsform.h>

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zsyncqt {

namespace {

constexpr int kStatusColumn = 4;

// The row icons, drawn so they need no files: up to date, to be updated,
// updating, updated.
QIcon rowIcon(zsync::RowIcon which) {
    static const QColor colours[] = {QColor(0x2e, 0x8b, 0x57), QColor(0xe6, 0x9b, 0x00), QColor(0x1e, 0x6f, 0xd9),
                                     QColor(0x1e, 0x6f, 0xd9)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colours[int(which)]);
    painter.setPen(Qt::NoPen);
    if (which == zsync::RowIcon::Updating) painter.drawPie(2, 2, 12, 12, 90 * 16, -270 * 16);
    else painter.drawEllipse(2, 2, 12, 12);
    if (which == zsync::RowIcon::Updated || which == zsync::RowIcon::UpToDate) {
        painter.setPen(QPen(Qt::white, 2));
        painter.drawPolyline(QPolygon({QPoint(5, 8), QPoint(7, 11), QPoint(11, 5)}));
    }
    return QIcon(pixmap);
}

}  // namespace

TDetailsForm::TDetailsForm(QWidget* owner) : QDialog(owner) {
    setObjectName("DetailsForm");
    setWindowTitle("File Details");
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setStyleSheet("QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }");
    ListView1->setHeaderLabels({"Remote File", "Remote Timestamp", "Local File", "Local Timestamp", "Status", "Bytes size"});
    const int w = ListView1->fontMetrics().horizontalAdvance(QString(40, 'a'));
    const int widths[] = {w, w * 2 / 4, w, w * 2 / 4, int(w * 1.5 * 0.25), w / 4};
    int total = 0;
    for (int i = 0; i < 6; ++i) {
        ListView1->setColumnWidth(i, widths[i]);
        total += widths[i];
    }
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListView1);
    layout->addWidget(StatusBar1);
    resize(total + 24, 320);   // every column in sight
}

void TDetailsForm::showServer(const std::string& server) {
    StatusBar1->showMessage("Ftp server: " + QString::fromStdString(server));
}

void TDetailsForm::addRow(const std::string& remotePath) {
    current_ = new QTreeWidgetItem(ListView1, {QString::fromStdString(remotePath)});
    nextColumn_ = 1;
}

void TDetailsForm::addColumn(const std::string& text) {
    if (current_ && nextColumn_ < ListView1->columnCount()) current_->setText(nextColumn_++, QString::fromStdString(text));
}

void TDetailsForm::selectRow(std::size_t index) {
    current_ = ListView1->topLevelItem(int(index));
}

void TDetailsForm::setStatus(const std::string& text) {
    if (current_) current_->setText(kStatusColumn, QString::fromStdString(text));
}

void TDetailsForm::setIcon(zsync::RowIcon icon) {
    if (current_) current_->setIcon(0, rowIcon(icon));
}

}  // namespace zsyncqt
