#pragma once

class QLineEdit;

// Shows an edit field as editable (window background) or disabled (button-face background);
// a disabled field keeps its text unless clearWhenDisabled.
void SetEditEnabled(QLineEdit* edit, bool enabled, bool clearWhenDisabled);
