// Edits that take only non-negative decimal numbers while the user types
// (the key filter of orlo/doubleeditfunc.h with the locale's separator);
// text pasted or set by the program is not checked.
#pragma once

#include <QLineEdit>
#include <QWidget>

class QLabel;

namespace orloqt {

class TDoubleEdit : public QLineEdit {
public:
    explicit TDoubleEdit(QWidget* parent = nullptr);

    // At most this many digits after the separator; 0: no separator; negative: no limit.
    int DecimalDigits() const { return decimalDigits_; }
    void SetDecimalDigits(int digits) { decimalDigits_ = digits; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int decimalDigits_ = -1;
};

// The same edit with its label above it.
class TDoubleLabeledEdit : public QWidget {
public:
    explicit TDoubleLabeledEdit(QWidget* parent = nullptr);

    QLabel* EditLabel = nullptr;
    TDoubleEdit* Edit = nullptr;

    int DecimalDigits() const { return Edit->DecimalDigits(); }
    void SetDecimalDigits(int digits) { Edit->SetDecimalDigits(digits); }
};

}  // namespace orloqt
