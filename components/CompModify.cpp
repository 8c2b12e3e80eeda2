// The component window's modification commands.
#include "components/Comp_.h"

void TCompWin::mnEditClick() { mnUndo->setEnabled(UndoList.Count() > 5); }
void TCompWin::mnModifyClick() {}
void TCompWin::mnFlipRotateClick(int tag) { DoRotate(tag); }
void TCompWin::DoRotate(int) {}
void TCompWin::mnToggleFillClick() {}
void TCompWin::mnAlterPenSzeClick() {}
void TCompWin::mnAlterPenTypeClick() {}
void TCompWin::mnAlterArrowClick() {}
void TCompWin::mnDeleteClick() {}
void TCompWin::mnDupShapeClick() {}
void TCompWin::ShapeMoveButClick(int) {}
void TCompWin::ComponetMoveButClick(int) {}
void TCompWin::ButRescaleClick() {}
void TCompWin::ScrollBarChange() {}
void TCompWin::ButRotateClick() {}
void TCompWin::mnCopyTextClick() {}
void TCompWin::mnPasteTextClick() {}
