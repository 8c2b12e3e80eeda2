// The frame's print commands and its printer, and the picture services children call.
#include "app/Main_.h"
#include "windows/PrintOut.h"
#include "platform/msgbox.h"

#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

QPrinter& TMainWin::ThePrinter()
{
    if (!Printer)
        Printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *Printer;
}

void TMainWin::PrintBmp(const QImage& bmp, const QString& title)
{
    QString error;
    if (!PrintBitmap(ThePrinter(), bmp, title, error))
        MessageDlg(QStringLiteral("Unable to print \"") + PrintJobTitle(title) + QStringLiteral("\".\r\r") + error,
                   TMsgDlgType::mtError, mbOK, this);
}

void TMainWin::StoreBMPClip(const QImage& bmp)
{
    if (!StoreBitmapOnClipboard(bmp))
        MessageDlg(QStringLiteral("Unable to put the picture on the clipboard:\rnot enough memory for a bitmap of ") +
                       QString::number(bmp.width()) + QStringLiteral(" by ") + QString::number(bmp.height()) +
                       QStringLiteral(" pixels."),
                   TMsgDlgType::mtError, mbOK, this);
}

void TMainWin::mnPrintSetupClick()
{
    QPageSetupDialog dlg(&ThePrinter(), this);
    dlg.exec();
}

void TMainWin::mnPrintClick()
{
    QPointer<TMainWin> self(this);
    // The frame owns it: a frame that goes while it is open takes it along.
    QPointer<QPrintDialog> dlg = MakePrintDialog(ThePrinter(), this);
    const bool ok = dlg->exec() == QDialog::Accepted;
    if (!self || !dlg)
        return;
    dlg->deleteLater();
    if (!ok)
        return;
    TChildWin* c = ActiveChild();
    if (c && c->Kind() == TChildWin::TKind::Sch)
        c->CopyBMP(1);
}
