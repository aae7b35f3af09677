// The list view: rows and columns, selection, and per-cell custom draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

namespace {

using namespace forms;

std::vector<std::string> Captions(const TListView& list) {
  std::vector<std::string> captions;
  for (int i = 0; i < list.Items().Count(); ++i) captions.push_back(list.Items()[i]->Caption());
  return captions;
}

TEST(ListView, InsertAndDeleteAtIndex) {
  TForm form("F");
  TListView list(&form, "LV1");
  list.SetViewStyle(TViewStyle::vsReport);
  for (const char* caption : {"b", "c"}) list.Items().Add()->SetCaption(caption);
  list.Items().Insert(0)->SetCaption("a");   // newest on top
  list.Items().Insert(2)->SetCaption("b2");  // in the middle
  list.Items().Insert(4)->SetCaption("d");   // at the end
  list.Items().Insert(99)->SetCaption("e");  // past the end: appended
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"a", "b", "b2", "c", "d", "e"}));
  EXPECT_EQ(list.Items()[3]->Index(), 3);

  list.Items().Delete(0);
  list.Items().Delete(2);
  list.Items().Delete(-1);
  list.Items().Delete(10);
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"b", "b2", "d", "e"}));
  // Cut back to the newest rows, as the display loop does.
  while (list.Items().Count() > 2) list.Items().Delete(list.Items().Count() - 1);
  EXPECT_EQ(Captions(list), (std::vector<std::string>{"b", "b2"}));
  EXPECT_EQ(list.Items()[5], nullptr);
  list.Items().Clear();
  EXPECT_EQ(list.Items().Count(), 0);
}

TEST(ListView, ColumnsAndSubItems) {
  TForm form("F");
  TListView list(&form, "ListView1");
  const struct {
    const char* caption;
    int width;
  } columns[] = {{"Параметр", 150}, {"Знач.", 50}, {"Ток", 50}};
  for (const auto& c : columns) {
    TListColumn* column = list.Columns().Add();
    column->SetCaption(c.caption);
    column->SetWidth(c.width);
  }
  EXPECT_EQ(list.Columns().Count(), 3);
  EXPECT_EQ(list.Columns()[0]->Width(), 150);
  EXPECT_EQ(list.Columns()[2]->Caption(), "Ток");
  TListItem* item = list.Items().Add();
  item->SetCaption("Тип батареи");
  item->SubItems().Add("Li-Ion");
  EXPECT_EQ(item->ColumnText(0), "Тип батареи");
  EXPECT_EQ(item->ColumnText(1), "Li-Ion");
  EXPECT_EQ(item->ColumnText(2), "");  // no such sub-item yet
  item->SubItems().Set(0, "SLA");
  EXPECT_EQ(list.DrawCell(0, 1).text, "SLA");
  list.Columns().Clear();
  EXPECT_EQ(list.Columns().Count(), 0);
}

TEST(ListView, SelectionClicksAndBatchedUpdates) {
  TForm form("F");
  TListView list(&form, "LV1");
  list.SetRowSelect(true);
  for (int i = 1; i <= 100; ++i) list.Items().Add()->SetCaption(std::to_string(i));
  int clicks = 0;
  list.OnClick = [&] { ++clicks; };
  list.ClickItem(99);
  ASSERT_NE(list.Selected(), nullptr);
  EXPECT_EQ(list.Selected()->Caption(), "100");
  EXPECT_EQ(list.ItemIndex(), 99);
  list.ClickItem(4);
  EXPECT_EQ(list.SelCount(), 1);
  list.ClickItem(-1);  // empty space
  EXPECT_EQ(list.Selected(), nullptr);
  EXPECT_EQ(clicks, 3);
  list.SetItemIndex(7);
  list.Items().Delete(7);  // the selected row goes with its selection
  EXPECT_EQ(list.Selected(), nullptr);

  list.SetMultiSelect(true);
  list.Items()[1]->SetSelected(true);
  list.Items()[2]->SetSelected(true);
  EXPECT_EQ(list.SelCount(), 2);
  list.SetMultiSelect(false);
  EXPECT_EQ(list.SelCount(), 1);
  EXPECT_EQ(list.ItemIndex(), 1);

  const auto before = list.Revision();
  list.Items().BeginUpdate();
  for (int i = 0; i < 50; ++i) list.Items()[i]->SubItems().Add("x");
  list.Items().EndUpdate();
  EXPECT_EQ(list.Revision(), before + 1);
}

// The cell colours of the live events list: the code column by the code's class, the fault
// code always red, everything else black on white.
TEST(ListView, CustomDrawSubItemSetsTheCellsColours) {
  TForm form("F");
  TListView list(&form, "LV1");
  list.OnCustomDrawSubItem = [](TListView& sender, TListItem& item, int sub_item, int, bool&) {
    TColor color = clBlack;
    if (sub_item == 2) {
      unsigned code = 0;
      std::sscanf(item.SubItems().Get(1).c_str(), "%x", &code);
      switch (code & 0xF000) {
        case 0x1000:
          color = 0x0000FF;
          break;
        case 0x2000:
          color = 0x008000;
          break;
        case 0x3000:
          color = 0xFF0000;
          break;
        default:
          color = 0;
      }
    }
    if (sub_item == 4) color = 0x0000FF;
    sender.Canvas().Font.Color = color;
  };
  const char* codes[] = {"1040", "2001", "3502", "4001"};
  for (const char* code : codes) {
    TListItem* item = list.Items().Add();
    item->SetCaption("st0201");
    for (const char* text : {"01.01.2026 10:00:00", code, "text", "", ""}) {
      item->SubItems().Add(text);
    }
  }
  const TColor expected[] = {0x0000FF, 0x008000, 0xFF0000, 0x000000};
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(list.DrawCell(row, 2).font_color, expected[row]) << row;
    EXPECT_EQ(list.DrawCell(row, 2).text, codes[row]);
    EXPECT_EQ(list.DrawCell(row, 4).font_color, 0x0000FFu);
    EXPECT_EQ(list.DrawCell(row, 1).font_color, clBlack);
    EXPECT_EQ(list.DrawCell(row, 0).brush_color, clWindow);
  }
  // A handler that set red on one cell does not colour the next one.
  EXPECT_EQ(list.DrawCell(0, 5).font_color, clBlack);
  EXPECT_EQ(list.DrawCell(9, 0).text, "");  // no such row
}

// The lamp card's colours: the item stage colours whole rows (the caption cell keeps them),
// the sub-item stage then colours the value cells.
TEST(ListView, AdvancedCustomDrawItemThenSubItem) {
  TForm form("F");
  TListView list(&form, "ListView1");
  std::vector<std::string> calls;
  list.OnAdvancedCustomDrawItem = [&](TListView& sender, TListItem& item, int,
                                      TCustomDrawStage stage, bool&) {
    EXPECT_EQ(stage, TCustomDrawStage::cdPrePaint);
    calls.push_back("item " + item.Caption());
    if (item.Index() == 1) sender.Canvas().Brush.Color = 0x84EF84;  // caption cell green
  };
  list.OnAdvancedCustomDrawSubItem = [&](TListView& sender, TListItem& item, int sub_item, int,
                                         TCustomDrawStage, bool& default_draw) {
    calls.push_back("sub " + std::to_string(sub_item));
    if (item.Index() == 1 && sub_item >= 1) sender.Canvas().Brush.Color = 0x84CF84;
    if (sub_item == 2) sender.Canvas().Font.Color = 0xFF0000;
    if (sub_item == 4) default_draw = false;
  };
  for (int i = 0; i < 2; ++i) {
    TListItem* item = list.Items().Add();
    item->SetCaption("row" + std::to_string(i));
    for (int k = 0; k < 4; ++k) item->SubItems().Add("v");
  }
  EXPECT_EQ(list.DrawCell(1, 0).brush_color, 0x84EF84u);
  EXPECT_EQ(list.DrawCell(1, 1).brush_color, 0x84CF84u);
  EXPECT_EQ(list.DrawCell(0, 1).brush_color, clWindow);
  const TCellDraw current = list.DrawCell(0, 2);
  EXPECT_EQ(current.font_color, 0xFF0000u);
  EXPECT_TRUE(current.default_draw);
  EXPECT_FALSE(list.DrawCell(0, 4).default_draw);
  calls.clear();
  list.DrawCell(1, 3);
  EXPECT_EQ(calls, (std::vector<std::string>{"item row1", "sub 3"}));

  // The plain and the advanced handlers both run, plain first.
  list.OnCustomDrawItem = [](TListView& sender, TListItem&, int, bool&) {
    sender.Canvas().Font.Color = clGray;
  };
  EXPECT_EQ(list.DrawCell(0, 1).font_color, clGray);
  EXPECT_EQ(list.DrawCell(0, 2).font_color, 0xFF0000u);
}

}  // namespace
