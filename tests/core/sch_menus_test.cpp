#include "schematic/core/sch_menus.h"

#include <gtest/gtest.h>

namespace {

TSchModel Model(bool shape, bool shapeSel, int kind, bool comp, bool compSel, bool text, bool textSel)
{
    TSchModel m;
    if (shape)
        m.ShapeList.push_back({kind, 0, 0, 5, 5, 0, shapeSel ? 1 : 0});
    if (comp) {
        TCompRec c;
        c.Selected = compSel ? 1 : 0;
        c.Shapes.push_back({1, 0, 0, 2, 2, 0, 1});   // own marks never count
        m.CompList.push_back(c);
    }
    if (text)
        m.TextList.push_back({"t", 0, 0, 0, textSel ? 1 : 0});
    return m;
}

} // namespace

TEST(SchMenus, ModifyMenuOverModelStates)
{
    struct Case {
        const char* name;
        TSchModel m;
        bool hitShape, hitText;
        TModifyMenuState want;
    };
    TModifyMenuState none;
    TModifyMenuState onlyPan;
    onlyPan.PanTopMost = true;
    TModifyMenuState texts = onlyPan;
    texts.CorrFonts = true;
    texts.AlterText = true;
    TModifyMenuState comps = onlyPan;
    comps.Flip = comps.Mirror = comps.RotateClock = comps.RotateAnti = true;
    TModifyMenuState lines = onlyPan;
    lines.AlterPenSze = lines.AlterPenType = lines.ToggleFill = lines.ZOrder = true;
    TModifyMenuState arrows = lines;
    arrows.AlterArrow = true;
    const Case cases[] = {
        {"empty", TSchModel{}, true, true, none},
        {"nothing selected", Model(true, false, 1, true, false, true, false), false, false, onlyPan},
        {"only texts selected, one clicked", Model(true, false, 1, false, false, true, true), false, true, texts},
        {"component selected", Model(false, false, 0, true, true, false, false), false, false, comps},
        {"component's own shape selected only", Model(false, false, 0, true, false, false, false), false, false, onlyPan},
        {"line selected and hit", Model(true, true, 1, false, false, false, false), true, false, lines},
        {"arrow line selected and hit", Model(true, true, 11, false, false, false, false), true, false, arrows},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModifyMenuState(c.m, c.hitShape, c.hitText), c.want) << c.name;
}

TEST(SchMenus, EditMenu)
{
    TEditMenuState emptyWant;
    EXPECT_EQ(EditMenuState(TSchModel{}, {}), emptyWant);

    const TSchModel unselected = Model(true, false, 2, false, false, false, false);
    TEditMenuState e = EditMenuState(unselected, {6, true, true, true});
    EXPECT_TRUE(e.Undo && e.ViewUndoInfo && e.PasteText && e.SelAll && e.CopyBMP && e.CopyMeta && e.Redraw);
    EXPECT_FALSE(e.CopyText || e.Delete || e.DupShape);
    EXPECT_FALSE(EditMenuState(unselected, {5, true, false, false}).Undo);
    EXPECT_FALSE(EditMenuState(unselected, {5, true, false, false}).ViewUndoInfo);
    TEditMenuState s = EditMenuState(Model(false, false, 0, false, false, true, true), {});
    EXPECT_TRUE(s.CopyText && s.Delete && s.DupShape);
}

TEST(SchMenus, DeleteAndZOrder)
{
    TSchModel m;
    m.ShapeList.push_back({1, 1, 0, 0, 0, 0, 1});
    m.ShapeList.push_back({1, 2, 0, 0, 0, 0, 0});
    m.ShapeList.push_back({1, 3, 0, 0, 0, 0, 1});
    TCompRec textsOnly;
    textsOnly.Selected = 1;
    textsOnly.Texts.push_back({"R", 0, 0, 0, 0});
    m.CompList.push_back(textsOnly);
    m.CompList.push_back(TCompRec{});
    m.TextList.push_back({"keep", 0, 0, 0, 0});
    m.TextList.push_back({"drop", 0, 0, 0, 2});
    DeleteSelected(m);
    ASSERT_EQ(m.ShapeList.size(), 1u);
    EXPECT_EQ(m.ShapeList.front().X1, 2);
    EXPECT_EQ(m.CompList.size(), 1u);
    EXPECT_TRUE(m.CompList.front().Texts.empty());
    ASSERT_EQ(m.TextList.size(), 1u);
    EXPECT_EQ(m.TextList.front().Text, "keep");

    TShapeList list{{1, 1, 0, 0, 0, 0, 1}, {1, 2, 0, 0, 0, 0, 1}, {1, 3, 0, 0, 0, 0, 1}};
    const TShapeRec* third = &list.back();
    MoveShapeToBack(list, third);
    EXPECT_EQ(&list.front(), third);   // same record, now drawn first
    EXPECT_EQ(list.front().Selected, 0);
    EXPECT_EQ(list.back().X1, 2);
    const TShapeRec* head = &list.front();
    list.front().Selected = 1;
    MoveShapeToBack(list, head);       // already the head: unchanged, still selected
    EXPECT_EQ(list.front().Selected, 1);
    EXPECT_EQ(list.size(), 3u);
}
