#pragma once
// Line width dialog: bars 1 to 10 pixels thick; widths 11 to 15 by the spin button.
#include "windows/ValueDlg.h"

class TSizeDialog : public TValueDialog {
    Q_OBJECT
public:
    explicit TSizeDialog(QWidget* parent = nullptr);
    int32_t& PenSize = value_;

protected:
    int32_t PressValue(int y) const override;
    void DrawSamples(TCanvas& c) override;
};
