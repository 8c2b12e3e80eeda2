#include "platform/msgbox.h"

#include <QInputDialog>
#include <algorithm>
#include <QLabel>
#include <QLayout>
#include <QPointer>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

TMsgResponder& Responder()
{
    static TMsgResponder r;
    return r;
}

struct TBtnMap {
    unsigned Flag;
    QMessageBox::StandardButton Std;
    int Result;
};
constexpr TBtnMap kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},       {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},          {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort}, {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
};

QString& Title()
{
    static QString t = QString::fromLatin1(AppTitle);
    return t;
}

} // namespace

QString ApplicationTitle() { return Title(); }
void SetApplicationTitle(const QString& title) { Title() = title; }

void SetMsgResponder(TMsgResponder responder) { Responder() = std::move(responder); }

int MessageBoxTitled(const QString& title, const QString& text, TMsgIcon icon, unsigned buttons,
                     QWidget* parent)
{
    if (buttons == 0)
        buttons = mbOK;
    if (Responder())
        return Responder()(TMsgRecord{title, text, icon, buttons});

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(title);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case TMsgIcon::None: break;
    }
    QMessageBox::StandardButtons std;
    for (const auto& b : kButtons)
        if (buttons & b.Flag)
            std |= b.Std;
    box.setStandardButtons(std);
    // Escape and the close button give Cancel where there is one.
    if (buttons & mbCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& b : kButtons)
        if (clicked == b.Std)
            return b.Result;
    if (buttons & mbCancel)
        return mrCancel;
    for (const auto& b : kButtons)
        if (buttons == b.Flag)
            return b.Result;
    return mrCancel;
}

int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons, QWidget* parent)
{
    switch (type) {
    case TMsgDlgType::mtWarning: return MessageBoxTitled("Warning", text, TMsgIcon::Warning, buttons, parent);
    case TMsgDlgType::mtError: return MessageBoxTitled("Error", text, TMsgIcon::Error, buttons, parent);
    case TMsgDlgType::mtInformation:
        return MessageBoxTitled("Information", text, TMsgIcon::Information, buttons, parent);
    case TMsgDlgType::mtConfirmation:
        return MessageBoxTitled("Confirm", text, TMsgIcon::Question, buttons, parent);
    case TMsgDlgType::mtCustom: break;
    }
    return MessageBoxTitled(ApplicationTitle(), text, TMsgIcon::None, buttons, parent);
}

void ShowMessage(const QString& text, QWidget* parent)
{
    MessageBoxTitled(ApplicationTitle(), text, TMsgIcon::None, mbOK, parent);
}

QInputDialog* MakeInputBox(const QString& caption, const QString& prompt, const QString& value, QWidget* parent)
{
    auto* d = new QInputDialog(parent, FixedDialogFlags());
    d->setWindowTitle(caption);
    d->setInputMode(QInputDialog::TextInput);   // builds the layout now
    d->setLabelText(prompt);
    d->setTextValue(value);
    FixDialogSize(d, d->sizeHint());
    return d;
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* parent)
{
    QPointer<QInputDialog> d = MakeInputBox(caption, prompt, value, parent);
    const bool ok = d->exec() == QDialog::Accepted;
    if (!d)
        return false;
    if (ok)
        value = d->textValue();
    delete d.data();
    return ok;
}

Qt::WindowFlags FixedDialogFlags()
{
    // Without CustomizeWindowHint the toolkit asks the window manager for every button.
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

void FixDialogSize(QWidget* dialog, QSize content)
{
    dialog->ensurePolished();
    // The window manager's title bar holds the icon, the title and the close button; the
    // title is drawn in a bold face that runs wider than ours.
    QFont bold = dialog->font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) * 5 / 4 + 80;
    const int width = std::max(titleWidth, content.width());
    int height = content.height();
    if (QLayout* l = dialog->layout()) {
        // A layout that sets the least and largest sizes itself would undo the fixing.
        l->setSizeConstraint(QLayout::SetNoConstraint);
        l->activate();
        if (l->hasHeightForWidth())
            height = std::max(height, l->totalHeightForWidth(width));
        height = std::max(height, l->totalMinimumSize().height());
    }
    // Fixed before it is shown: the size hints the window manager reads at the first map
    // already say it cannot be resized (and so not maximised either).
    dialog->setFixedSize(width, height);
}
