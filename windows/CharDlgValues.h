#pragma once
// What the character dialog is preset with and returns; plain data, so the gesture cores
// of both child windows can hold it without the dialog's widgets.
#include <string>

struct TCharDlgValues {
    std::string Text;     // bytes
    bool Symbol = false;
    int SizeIndex = 2;    // entry of "1".."8"; -1 = no entry chosen
    int AngleIndex = 0;   // 0 right, 1 up, 2 left, 3 down
};
