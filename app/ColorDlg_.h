#pragma once
// The colours dialog: four drop-down lists of colours for lines, fills, texts and selections.
#include <QDialog>

#include <cstdint>

class QComboBox;

class TColorDlg : public QDialog {
    Q_OBJECT
public:
    explicit TColorDlg(QWidget* parent = nullptr);

    QComboBox* ColorBoxLine = nullptr;
    QComboBox* ColorBoxFill = nullptr;
    QComboBox* ColorBoxText = nullptr;
    QComboBox* ColorBoxSel = nullptr;

    // Colours are $BBGGRR; a colour not in the list is added to it.
    void SetColors(uint32_t line, uint32_t fill, uint32_t text, uint32_t sel);
    void GetColors(uint32_t& line, uint32_t& fill, uint32_t& text, uint32_t& sel) const;

    static void SelectColor(QComboBox* box, uint32_t color);
    static uint32_t SelectedColor(const QComboBox* box);
};
