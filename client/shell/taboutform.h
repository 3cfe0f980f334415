// AboutForm: the program's name and version, and an OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zentclient {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;     // "Program version: " and the version
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

}  // namespace zentclient
