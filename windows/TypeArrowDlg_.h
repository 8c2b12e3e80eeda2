#pragma once
// Arrow type dialog: six arrows with plain or notched heads at one or both ends; the check
// box makes the choice the default for new lines with arrows (it can be hidden).
#include "windows/ValueDlg.h"

class QCheckBox;

class TTypeArrowDialog : public TValueDialog {
    Q_OBJECT
public:
    explicit TTypeArrowDialog(QWidget* parent = nullptr);
    int32_t& ArrowType = value_;
    QCheckBox* CboxSetDefault = nullptr;

protected:
    int32_t PressValue(int y) const override;
    void DrawSamples(TCanvas& c) override;
};

// Shows the dialog preset with `type`; `type` and `setDefault` are read back whether it was
// confirmed or not (the caller decides what a cancel means). Returns whether it was confirmed.
bool RunArrowDialog(QWidget* parent, int32_t& type, bool& setDefault, bool showCheckBox = true);
