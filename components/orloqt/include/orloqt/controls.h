// Small operations on lists of controls, for windows that switch groups of
// widgets and actions together. Each list ends at its first null pointer;
// objects of kinds an operation does not know are skipped.
#pragma once

#include <initializer_list>

class QObject;

namespace orloqt {

// Enables or disables widgets and actions.
void EnableControls(bool enabled, std::initializer_list<QObject*> controls);
// Shows or hides widgets and actions.
void ShowControls(bool visible, std::initializer_list<QObject*> controls);
// Lets line edits (and editable combo boxes) take digits only, or anything
// again. Text already in them is left as it is.
void MakeNumericEdit(bool numeric, std::initializer_list<QObject*> controls);
// Empties edits and labels; combo boxes lose their selection and their text.
void ClearControls(std::initializer_list<QObject*> controls);

}  // namespace orloqt
