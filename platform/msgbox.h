#pragma once
// Message boxes of a type. The type gives the title ("Warning", "Error", "Information",
// "Confirm"; the application title for mtCustom) and the icon. A "\r" in the text breaks
// the line; nowhere else is "\r" turned into a line break.
#include <QSize>
#include <QString>
#include <qnamespace.h>
#include <functional>

class QWidget;

// Title of plain message boxes and of error reports.
inline constexpr const char* AppTitle = "Rerurudez Eruv";
// The title in use: AppTitle unless the program set its own.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons, combined with |.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
};
inline constexpr unsigned mbYesNo = mbYes | mbNo;
inline constexpr unsigned mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr unsigned mbOKCancel = mbOK | mbCancel;

// Modal results, also those of our dialogs (OK 1, Cancel 2, Retry 4, ...).
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class TMsgIcon { None, Warning, Error, Information, Question };

// Shows a message box of a type; returns the modal result of the button pressed
// (closing the box without a button gives Cancel, or the only button there is).
int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons, QWidget* parent = nullptr);

// A box with a title of its own (the application title for plain messages).
int MessageBoxTitled(const QString& title, const QString& text, TMsgIcon icon, unsigned buttons,
                     QWidget* parent = nullptr);

// Plain message: the application title, no icon, one OK button.
void ShowMessage(const QString& text, QWidget* parent = nullptr);

// A modal input box with one line of text: a fixed-size dialog without minimise and
// maximise buttons, wide enough for its whole caption. False when cancelled (or when its
// parent went away meanwhile); `value` presets the line and takes the answer on OK.
bool InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* parent = nullptr);
// That box, made and preset but not shown; owned by the caller.
class QInputDialog;
QInputDialog* MakeInputBox(const QString& caption, const QString& prompt, const QString& value,
                           QWidget* parent = nullptr);

// Window flags of a dialog with a title and a close button only.
Qt::WindowFlags FixedDialogFlags();
// Fixes the dialog at the content's size, made wider where the title needs the room.
// Before the first show, so the window manager never offers to resize it.
void FixDialogSize(QWidget* dialog, QSize content);

// Test hook: while set, no box is shown; the responder gets what would have been shown
// (the text as given, "\r" kept) and returns the button's modal result.
struct TMsgRecord {
    QString Title;
    QString Text;
    TMsgIcon Icon = TMsgIcon::None;
    unsigned Buttons = 0;
};
using TMsgResponder = std::function<int(const TMsgRecord&)>;
void SetMsgResponder(TMsgResponder responder);
