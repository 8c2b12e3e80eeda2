#include "platform/file_dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>

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
    // Qt's own dialog names its name box "fileNameEdit".
    for (QLineEdit* edit : dlg.findChildren<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        edit->clear();
        if (QCompleter* c = edit->completer())
            if (c->popup())
                c->popup()->hide();
    }
}
