#pragma once
// Our open and save dialogs (Qt's own, not the desktop's, so that tests can drive them).
#include <QString>

#include <vector>

class QFileDialog;

struct TFileFilter {
    QString Caption;   // shown as given, e.g. "All files (*.*)"
    QString Patterns;  // what it matches, e.g. "*"
};

// Sets the dialog's name filters. The captions are shown as given while each matches its own
// patterns, so that an "All files (*.*)" entry can match every file, also one without a dot.
void SetFileFilters(QFileDialog& dlg, const std::vector<TFileFilter>& filters);
// The caption a dialog's chosen filter is shown with.
QString ShownFilter(const QFileDialog& dlg);
// Readies a dialog that is shown again: an empty name box and no completion list left open.
void ClearFileName(QFileDialog& dlg);
