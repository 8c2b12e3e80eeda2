#include "app/Splash_.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>

TSplashWin::TSplashWin(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TSplashWin"));
    setFixedSize(363, 90);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
}

void TSplashWin::FormActivate()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() <= 900) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void TSplashWin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // The program's picture: a small circuit symbol.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawRect(QRectF(30, 25, 24, 40));
    p.drawLine(QPointF(14, 35), QPointF(30, 35));
    p.drawLine(QPointF(14, 55), QPointF(30, 55));
    p.drawLine(QPointF(54, 45), QPointF(70, 45));
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(QPointF(70, 45), 3, 3);
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(28);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(90, 10, 260, 45), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Ostrin"));
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(90, 50, 260, 30), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Circuit Drawing"));
}
