#include "platform/file_dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

namespace {

void HideCompletions(QFileDialog& dlg)
{
    // Qt's own dialog names its name box "fileNameEdit". Its completion list is a window of
    // its own that outlives the dialog, and it holds the keyboard while open. It also opens
    // again by itself when the folder listing arrives late for the prefix typed, so the
    // prefix goes with it.
    for (QLineEdit* edit : dlg.findChildren<QLineEdit*>(QStringLiteral("fileNameEdit")))
        if (QCompleter* c = edit->completer()) {
            if (c->popup())
                c->popup()->hide();
            c->setCompletionPrefix(QString());
        }
}

} // namespace

TFileDialog::TFileDialog(QWidget* parent) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
}

void TFileDialog::Prepare(const TFileDialogSpec& spec)
{
    written_ = spec.Save ? spec.WrittenPath : nullptr;
    if (spec.Save) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setOption(QFileDialog::ReadOnly, false);
    } else {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
        setOption(QFileDialog::ReadOnly, true);
    }
    // With a written path of its own the dialog asks about that file itself (accept).
    setOption(QFileDialog::DontConfirmOverwrite, static_cast<bool>(written_));
    setDefaultSuffix(spec.Suffix);
    SetFileFilters(*this, spec.Filters);
    setDirectory(spec.Folder);
    ClearFileName(*this);
    if (!spec.Name.isEmpty())
        selectFile(spec.Name);
}

QString TFileDialog::Run(const TFileDialogSpec& spec)
{
    Prepare(spec);
    QPointer<TFileDialog> self(this);
    const int result = exec();
    if (!self || result != QDialog::Accepted)
        return {};
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return {};
    return written_ ? written_(files.first()) : files.first();
}

void TFileDialog::accept()
{
    if (acceptMode() == QFileDialog::AcceptSave && written_) {
        const QStringList files = selectedFiles();
        // A folder typed in the name box is entered by the dialog itself.
        if (!files.isEmpty() && !QFileInfo(files.first()).isDir()) {
            const QFileInfo real(written_(files.first()));
            if (real.exists() && !real.isDir()) {
                QPointer<TFileDialog> self(this);
                const auto answer = QMessageBox::warning(
                    this, windowTitle(),
                    QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(real.fileName()),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
                // No: the dialog stays open for another name.
                if (!self || answer != QMessageBox::Yes)
                    return;
            }
        }
    }
    QFileDialog::accept();
}

void TFileDialog::done(int result)
{
    HideCompletions(*this);
    QFileDialog::done(result);
}

QString AskFile(QWidget* parent, const TFileDialogSpec& spec)
{
    TFileDialog dlg(parent);
    return dlg.Run(spec);
}

void SetFileFilters(QFileDialog& dlg, const std::vector<TFileFilter>& filters)
{
    // A filter is "text (patterns)"; with the details hidden the dialog shows the text before
    // the last parenthesis, which here is the whole caption.
    QStringList list;
    for (const TFileFilter& f : filters)
        list << f.Caption + QStringLiteral(" (") + f.Patterns + QLatin1Char(')');
    dlg.setOption(QFileDialog::HideNameFilterDetails, true);
    dlg.setNameFilters(list);
}

QString ShownFilter(const QFileDialog& dlg)
{
    const QString f = dlg.selectedNameFilter();
    const qsizetype open = f.lastIndexOf(QLatin1Char('('));
    return (open > 0 ? f.left(open) : f).simplified();
}

void ClearFileName(QFileDialog& dlg)
{
    for (QLineEdit* edit : dlg.findChildren<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->clear();
    HideCompletions(dlg);
}
