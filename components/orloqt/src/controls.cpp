#include <orloqt/controls.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextEdit>

namespace orloqt {

namespace {

// Calls action for each object up to the first null pointer.
template <typename Action>
void forEach(std::initializer_list<QObject*> controls, Action action) {
    for (QObject* object : controls) {
        if (!object) break;
        action(object);
    }
}

// The validator that makes an edit numeric, known by its name so that only
// ours is taken away again.
constexpr const char* kNumericValidator = "orloqtNumericEdit";

void makeNumeric(QLineEdit& edit, bool numeric) {
    const QValidator* current = edit.validator();
    const bool ours = current && current->objectName() == QLatin1String(kNumericValidator);
    if (numeric && !ours) {
        auto* validator = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), &edit);
        validator->setObjectName(kNumericValidator);
        edit.setValidator(validator);
    } else if (!numeric && ours) {
        edit.setValidator(nullptr);
        delete current;
    }
}

}  // namespace

void EnableControls(bool enabled, std::initializer_list<QObject*> controls) {
    forEach(controls, [enabled](QObject* object) {
        if (auto* widget = qobject_cast<QWidget*>(object))
            widget->setEnabled(enabled);
        else if (auto* action = qobject_cast<QAction*>(object))
            action->setEnabled(enabled);
    });
}

void ShowControls(bool visible, std::initializer_list<QObject*> controls) {
    forEach(controls, [visible](QObject* object) {
        if (auto* widget = qobject_cast<QWidget*>(object))
            widget->setVisible(visible);
        else if (auto* action = qobject_cast<QAction*>(object))
            action->setVisible(visible);
    });
}

void MakeNumericEdit(bool numeric, std::initializer_list<QObject*> controls) {
    forEach(controls, [numeric](QObject* object) {
        if (auto* edit = qobject_cast<QLineEdit*>(object))
            makeNumeric(*edit, numeric);
        else if (auto* combo = qobject_cast<QComboBox*>(object); combo && combo->lineEdit())
            makeNumeric(*combo->lineEdit(), numeric);
    });
}

void ClearControls(std::initializer_list<QObject*> controls) {
    forEach(controls, [](QObject* object) {
        if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            edit->clear();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(object)) {
            text->clear();
        } else if (auto* rich = qobject_cast<QTextEdit*>(object)) {
            rich->clear();
        } else if (auto* label = qobject_cast<QLabel*>(object)) {
            label->clear();
        } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
            combo->setCurrentIndex(-1);
            combo->clearEditText();
        }
    });
}

}  // namespace orloqt
