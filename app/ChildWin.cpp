#include "app/ChildWin.h"

#include <QCloseEvent>

TChildWin::TChildWin(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

TChildWin::~TChildWin() = default;

void TChildWin::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QMdiSubWindow::closeEvent(event);
}

void TChildWin::SetDrawCursor(const QCursor& cursor)
{
    if (widget())
        widget()->setCursor(cursor);
    else
        setCursor(cursor);
}
