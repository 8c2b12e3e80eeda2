#include "search/About_.h"

#include "platform/association.h"
#include "platform/msgbox.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(300, 200);
    ProductName = new QLabel(QStringLiteral("Pelfind"), this);
    ProductName->setGeometry(16, 14, 268, 24);
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    ProductName->setFont(big);
    Comments = new QLabel(QStringLiteral("Recursive Search for Ostrin Files."), this);
    Comments->setGeometry(16, 46, 268, 18);
    Version = new QLabel(this);
    Version->setGeometry(16, 70, 268, 18);
    EmailLabel = new QLabel(QString::fromLatin1(ContactAddress), this);
    EmailLabel->setGeometry(16, 100, 268, 18);
    EmailLabel->setCursor(Qt::PointingHandCursor);
    QPalette p = EmailLabel->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    EmailLabel->setPalette(p);
    EmailLabel->installEventFilter(this);
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setGeometry(110, 156, 80, 27);
    CloseBtn->setDefault(true);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

void TAboutBox::FormCreate() { Version->setText(QStringLiteral("Version:  9 June, 2015")); }

void TAboutBox::EmailLabelClick()
{
    const QString address = QString::fromLatin1(ContactAddress);
    QGuiApplication::clipboard()->setText(address);
    MessageBoxTitled(QStringLiteral("E-Mail Link"),
                     QStringLiteral("The default Emailer will be attempt to opened.\rThe Email Address is also copied to Clipboard."),
                     TMsgIcon::Information, mbOK, this);
    assoc::OpenWithType("x-scheme-handler/mailto", "mailto:" + address.toStdString(), true);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EmailLabel && event->type() == QEvent::MouseButtonRelease) {
        EmailLabelClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
