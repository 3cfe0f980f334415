#include "shell/taboutform.h"

#include "shell/programversion.h"
#include <zentcore/application.h>
#include "shell/imagelist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentclient {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutForm");
    const QString title = QString::fromUtf8(zentcore::kApplicationTitle.data(), qsizetype(zentcore::kApplicationTitle.size()));
    setWindowTitle("About " + title);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(ImageList().icon(ImageList::kTrayIcon).pixmap(48, 48));

    ProductName = new QLabel(title, this);
    ProductName->setObjectName("ProductName");
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    ProductName->setFont(big);

    Version = new QLabel(QString::fromStdString("Program version: " + ProgramVersion()), this);
    Version->setObjectName("Version");
    Comments = new QLabel("Prints from any application to remote print servers.", this);
    Comments->setObjectName("Comments");

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addWidget(Comments);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zentclient
