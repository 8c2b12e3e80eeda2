#pragma once
// Line style dialog: solid, dash, dash-dot, dash-dot-dot and dot samples.
#include "windows/ValueDlg.h"

class TTypeLineDialog : public TValueDialog {
    Q_OBJECT
public:
    explicit TTypeLineDialog(QWidget* parent = nullptr);
    int32_t& PenType = value_;
    QLabel* LabelWarn = nullptr;

protected:
    int32_t PressValue(int y) const override;
    void DrawSamples(TCanvas& c) override;
};
