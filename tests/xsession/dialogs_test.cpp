// The value dialogs as the window manager sees them: fixed in size, with no minimise or
// maximise, and wide enough for their titles.
#include <gtest/gtest.h>

#include <QDialog>
#include <QInputDialog>
#include <QPointer>

#include <functional>
#include <memory>

#include "windows/SizeDlg_.h"
#include "windows/TypeArrowDlg_.h"
#include "windows/TypeLineDlg_.h"
#include "platform/msgbox.h"
#include "tests/xsession/x_window.h"

namespace {

struct Case {
    const char* Name;
    std::function<QDialog*()> Make;
};

} // namespace

TEST(DialogsUnderWm, ValueDialogsAreFixedInSizeWithoutMinimiseOrMaximise)
{
    const Case cases[] = {
        {"line width", [] { return static_cast<QDialog*>(new TSizeDialog(nullptr)); }},
        {"line style", [] { return static_cast<QDialog*>(new TTypeLineDialog(nullptr)); }},
        {"arrow type", [] { return static_cast<QDialog*>(new TTypeArrowDialog(nullptr)); }},
        {"font size box",
         [] { return MakeInputBox("Alter ALL current text to size:", "Font Size:    (3 is default)", {}, nullptr); }},
        {"rescale box",
         [] {
             return MakeInputBox("Rescale Shapes", "Increase Scale (x2.5) or Decrease Scale (/2.5)", {}, nullptr);
         }},
    };
    ASSERT_TRUE(xs::Ready()) << "no X session with a window manager";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<QDialog> d(c.Make());
        // The manager has taken it on once it has framed it and said what it allows; a
        // window it missed is shown once more.
        xs::TWin w = 0;
        bool managed = false;
        for (int attempt = 0; attempt < 3 && !managed; ++attempt) {
            d->hide();
            d->show();
            w = d->winId();
            managed = xs::WaitFor([&] { return !xs::Frame(w).isNull() && !xs::AllowedActions(w).isEmpty(); }, 3000);
        }
        ASSERT_TRUE(managed);
        // The manager offers neither resizing nor maximising ...
        const QStringList allowed = xs::AllowedActions(w);
        for (const char* refused :
             {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"})
            EXPECT_FALSE(allowed.contains(refused)) << refused << " in " << allowed.join(' ').toStdString();
        EXPECT_TRUE(allowed.contains("_NET_WM_ACTION_CLOSE"));
        EXPECT_TRUE(allowed.contains("_NET_WM_ACTION_MOVE"));
        // ... and the window asks for no minimise or maximise button or function (openbox
        // still lists minimising among its own actions whatever a window asks).
        const xs::TMotif m = xs::MotifHints(w);
        ASSERT_TRUE(m.Set);
        EXPECT_FALSE(m.Decorations & (xs::MwmDecorAll | xs::MwmDecorMinimise | xs::MwmDecorMaximise)) << m.Decorations;
        EXPECT_FALSE(m.Functions & (xs::MwmFuncAll | xs::MwmFuncMinimise | xs::MwmFuncMaximise)) << m.Functions;
        const xs::THints h = xs::SizeHints(w);
        EXPECT_TRUE(h.Min.isValid() && h.Min == h.Max) << h.Min.width() << "x" << h.Min.height() << " to "
                                                       << h.Max.width() << "x" << h.Max.height();
        EXPECT_EQ(h.Min, d->size());
        d->close();
    }
}
