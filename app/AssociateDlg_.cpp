#include "app/AssociateDlg_.h"

#include "platform/association.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TAssociateDlg::TAssociateDlg(QWidget* parent, const QString& programPath)
    : QDialog(parent), ProgramPath(programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath)
{
    setObjectName(QStringLiteral("AssociateDlg"));
    setWindowTitle(QStringLiteral("Set File Association"));
    setFixedSize(584, 169);
    Label1 = new QLabel(QStringLiteral("Schematic File *.SCH is associated to:"), this);
    Label1->setGeometry(16, 14, 552, 18);
    AssEdit = new QLineEdit(this);
    AssEdit->setGeometry(16, 38, 552, 20);
    AssEdit->setReadOnly(true);
    AssEdit->setFrame(false);
    AssEdit->setFocusPolicy(Qt::ClickFocus);
    SetSpBut = new QPushButton(this);
    SetSpBut->setGeometry(16, 74, 552, 30);
    CloseBitBtn = new QPushButton(QStringLiteral("  Close"), this);
    CloseBitBtn->setGeometry(472, 124, 96, 30);
    CloseBitBtn->setDefault(true);
    connect(SetSpBut, &QPushButton::clicked, this, &TAssociateDlg::SetSpButClick);
    connect(CloseBitBtn, &QPushButton::clicked, this, &QDialog::accept);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
    FormCreate();
    CloseBitBtn->setFocus();
}

void TAssociateDlg::FormCreate()
{
    SetSpBut->setText(QStringLiteral("Set File Association to ") + QFileInfo(ProgramPath).fileName());
    AssEdit->setText(QStringLiteral("(No association set for *.SCH file)"));
    const assoc::TSchAssociation a = assoc::ReadSchAssociation();
    if (!a.Type.empty())
        AssEdit->setText(QStringLiteral("(*.SCH file is registered as: ") + QString::fromStdString(a.Type) +
                         QStringLiteral(")"));
    if (a.HasCommand)
        AssEdit->setText(QString::fromUtf8(a.Command.c_str(), static_cast<int>(a.Command.size())).toUpper());
    // The program the command runs, as parsed: a path that merely contains ours is not ours.
    const bool ours = a.HasCommand && a.Program == QFile::encodeName(ProgramPath).toStdString();
    SetSpBut->setEnabled(!ours);
}

void TAssociateDlg::SetSpButClick()
{
    std::string error;
    // A failure shows itself: the line keeps the old association and the button stays on.
    assoc::WriteSchAssociation(QFile::encodeName(ProgramPath).toStdString(), error);
    QApplication::processEvents();
    FormCreate();
}
