#include <orloqt/doubleedit.h>

#include <orlo/doubleeditfunc.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace orloqt {

namespace {

char16_t localeSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? u'.' : point.at(0).unicode();
}

}  // namespace

TDoubleEdit::TDoubleEdit(QWidget* parent) : QLineEdit(parent) {}

void TDoubleEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Keys without a character (arrows, Home, shortcuts) and text of several
    // characters (an input method's) take the base's way.
    if (typed.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString current = text();
    const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    const char16_t key = orlo::DoubleEditKey(std::u16string_view(reinterpret_cast<const char16_t*>(current.utf16()),
                                                                 std::size_t(current.size())),
                                             end, typed.at(0).unicode(), decimalDigits_, localeSeparator());
    if (key == 0) {
        event->accept();
        return;
    }
    if (key == typed.at(0).unicode()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    insert(QString(QChar(key)));
    event->accept();
}

TDoubleLabeledEdit::TDoubleLabeledEdit(QWidget* parent) : QWidget(parent) {
    EditLabel = new QLabel(this);
    Edit = new TDoubleEdit(this);
    EditLabel->setBuddy(Edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(EditLabel);
    layout->addWidget(Edit);
}

}  // namespace orloqt
