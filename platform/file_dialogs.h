#pragma once
// Our open and save dialogs (Qt's own, not the desktop's, so that tests can drive them).
// Every file dialog of the programs is a TFileDialog readied by Prepare, so each one lists
// every file under "All files", starts with a clean name box and leaves no completion list
// behind.
#include <QFileDialog>
#include <QString>

#include <functional>
#include <vector>

struct TFileFilter {
    QString Caption;   // shown as given, e.g. "All files (*.*)"
    QString Patterns;  // what it matches, e.g. "*"
};

// What one showing of a file dialog asks for.
struct TFileDialogSpec {
    bool Save = false;   // a save dialog asks before replacing a file; an open one needs an existing file
    QString Folder;      // where it starts
    QString Name;        // name proposed in the name box; empty for none
    QString Suffix;      // added to a typed name without one
    std::vector<TFileFilter> Filters;
    // Save dialogs whose caller writes another path than the one typed (a name changed in
    // case, for instance): that path for a chosen one. The replace question is then asked
    // about the file really written, and the dialog returns that path.
    std::function<QString(const QString&)> WrittenPath;
};

class TFileDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TFileDialog(QWidget* parent = nullptr);

    // Readies the dialog for one showing (also a dialog shown before).
    void Prepare(const TFileDialogSpec& spec);
    // Prepares, shows modally; the chosen path, or empty when cancelled.
    QString Run(const TFileDialogSpec& spec);

    void accept() override;
    void done(int result) override;

private:
    std::function<QString(const QString&)> written_;
};

// A dialog for one use: the chosen path, or empty when cancelled.
QString AskFile(QWidget* parent, const TFileDialogSpec& spec);

// Sets the dialog's name filters. The captions are shown as given while each matches its own
// patterns, so that an "All files (*.*)" entry can match every file, also one without a dot.
void SetFileFilters(QFileDialog& dlg, const std::vector<TFileFilter>& filters);
// The caption a dialog's chosen filter is shown with.
QString ShownFilter(const QFileDialog& dlg);
// Readies a dialog that is shown again: an empty name box and no completion list left open.
void ClearFileName(QFileDialog& dlg);
