// Controls driven as a user or a program would, with no window system.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

namespace {

using namespace forms;

TEST(MaskEdit, TimeMaskAdmitsOnlyItsShape) {
  TForm form("F");
  TMaskEdit edit(&form, "MaskEdit1", "!90:00;1;_", "01:00");
  EXPECT_EQ(edit.MaskLength(), 5);
  EXPECT_EQ(edit.BlankChar(), '_');
  struct Case {
    const char* text;
    bool accepted;
    bool complete;
  };
  const Case cases[] = {
      {"01:00", true, true},   {"19:30", true, true},   {" 7:00", true, true},
      {"", true, false},       {"1", true, false},      {"12:3", true, false},
      {"1a:00", false, false}, {"12-00", false, false}, {"12:000", false, false},
      {"x2:00", false, false}, {"12:0 ", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(edit.Accepts(c.text), c.accepted) << c.text;
    EXPECT_EQ(edit.IsComplete(c.text), c.complete) << c.text;
  }
  TMaskEdit no_blank(&form, "M", "00;0");
  EXPECT_EQ(no_blank.BlankChar(), '_');
}

TEST(Edit, ChangesNotifyAndDoubleClickFires) {
  TForm form("F");
  TEdit edit(&form, "Edit9", "0");
  int changes = 0, dbl = 0;
  edit.OnChange = [&] { ++changes; };
  edit.OnDblClick = [&] {
    ++dbl;
    edit.SetText("0");
  };
  edit.SetText("12");
  edit.SetText("12");  // no change, no event
  edit.DoubleClick();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(edit.Text(), "0");
  EXPECT_EQ(edit.Color(), clWindow);
  const auto revision = edit.Revision();
  edit.SetColor(clRed);
  edit.SetFontColor(clGreen);
  edit.SetColor(clRed);
  EXPECT_EQ(edit.Revision(), revision + 2);
  EXPECT_EQ(edit.FontColor(), clGreen);
}

TEST(UpDown, LimitsIncrementWrapAndTheAssociatedEdit) {
  TForm form("F");
  TEdit edit(&form, "Edit4");
  TUpDown up(&form, "UpDown3", 5, 300, 60);
  up.SetIncrement(10);
  up.SetAssociate(&edit);
  EXPECT_EQ(edit.Text(), "60");
  up.SetPosition(400);
  EXPECT_EQ(up.Position(), 300);
  EXPECT_EQ(edit.Text(), "300");
  up.StepUp();  // at the top without wrap: stays
  EXPECT_EQ(up.Position(), 300);
  up.SetPosition(12);
  up.StepDown();
  EXPECT_EQ(up.Position(), 5);
  up.SetWrap(true);
  up.StepDown();
  EXPECT_EQ(up.Position(), 300);
  up.StepUp();
  EXPECT_EQ(up.Position(), 5);
  EXPECT_EQ(edit.Text(), "5");

  TUpDown period(&form, "UpTT", 5, 60, 5);
  period.SetPosition(2);
  EXPECT_EQ(period.Position(), 5);
  period.SetPosition(61);
  EXPECT_EQ(period.Position(), 60);
  period.SetMax(30);
  EXPECT_EQ(period.Position(), 30);
}

TEST(RadioControls, OneCheckedPerParentAndGroupIndex) {
  TForm form("F");
  TPanel panel(&form, "GroupBox1");
  TRadioButton tn(&panel, "RadioTN", "Инд.ном", true);
  TRadioButton fn(&panel, "RadioFN", "Зав.ном");
  TRadioButton elsewhere(&form, "RadioX", "x", true);
  int tn_clicks = 0, fn_clicks = 0;
  tn.OnClick = [&] { ++tn_clicks; };
  fn.OnClick = [&] { ++fn_clicks; };
  fn.Click();
  EXPECT_TRUE(fn.Checked());
  EXPECT_FALSE(tn.Checked());
  EXPECT_TRUE(elsewhere.Checked());  // another parent, another group
  fn.Click();                        // already checked: nothing
  EXPECT_EQ(fn_clicks, 1);
  tn.SetEnabled(false);
  tn.Click();  // a disabled button takes no clicks
  EXPECT_TRUE(fn.Checked());
  EXPECT_EQ(tn_clicks, 0);

  TRadioGroup group(&form, "RadioNSTR", "Строк");
  group.Items().Add("100");
  group.Items().Add("500");
  group.SetColumns(2);
  int clicks = 0;
  group.OnClick = [&] { ++clicks; };
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(0);
  group.ClickItem(1);
  group.ClickItem(1);
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  group.SetItemIndex(7);
  EXPECT_EQ(group.ItemIndex(), 1);
  group.SetItemIndex(-5);
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(1);
  group.Items().Delete(1);  // the chosen item is gone: nothing is chosen
  EXPECT_EQ(group.ItemIndex(), -1);
  EXPECT_EQ(group.Columns(), 2);
}

TEST(ComboBox, ItemsTextAndChoice) {
  TForm form("F");
  TComboBox combo(&form, "ComboRR");
  for (const char* item : {"0", "0.02", "0.04", "Другой"}) combo.Items().Add(item);
  combo.SetText("0");
  EXPECT_EQ(combo.ItemIndex(), 0);
  int changes = 0, selects = 0;
  combo.OnChange = [&] { ++changes; };
  combo.OnSelect = [&] { ++selects; };
  combo.SetItemIndex(3);  // by the program: no event
  EXPECT_EQ(combo.Text(), "Другой");
  combo.SelectItem(1);
  EXPECT_EQ(combo.Text(), "0.02");
  combo.TypeText("0.33");
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(selects, 1);
  combo.SetItemIndex(99);
  EXPECT_EQ(combo.Text(), "");

  combo.SetStyle(TComboBoxStyle::csDropDownList);
  combo.SetText("not an item");
  EXPECT_EQ(combo.Text(), "");
  combo.TypeText("0.04");  // a list-only box takes no typing
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(ListBox, ItemsSelectionAndMultiSelect) {
  TForm form("F");
  TListBox list(&form, "ListBoxL1");
  for (int i = 0; i < 5; ++i) list.Items().Add("line " + std::to_string(i));
  int clicks = 0, dbl = 0;
  list.OnClick = [&] { ++clicks; };
  list.OnDblClick = [&] { ++dbl; };
  list.ClickItem(2);
  EXPECT_EQ(list.ItemIndex(), 2);
  EXPECT_TRUE(list.Selected(2));
  list.DoubleClickItem(4);
  EXPECT_EQ(list.SelCount(), 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(dbl, 1);
  list.Items().Delete(4);  // the chosen line is gone
  EXPECT_EQ(list.ItemIndex(), -1);
  list.SetMultiSelect(true);
  list.SetSelected(0, true);
  list.SetSelected(3, true);
  EXPECT_EQ(list.SelCount(), 2);
  list.Items().Clear();
  EXPECT_EQ(list.Items().Count(), 0);
}

TEST(StatusBarAndMenus, PanelsPopupAndMenuClicks) {
  TForm form("F");
  TStatusBar bar(&form, "StatusBar1");
  for (int width : {60, 50, 70}) bar.AddPanel(width);
  bar.SetPanelText(0, "5");
  bar.SetPanelText(9, "ignored");
  EXPECT_EQ(bar.Panel(0).text, "5");
  EXPECT_EQ(bar.Panel(2).width, 70);
  bar.SetSimplePanel(true);
  bar.SetSimpleText("hint");
  EXPECT_EQ(bar.SimpleText(), "hint");

  TPopupMenu popup(&form, "PopupMenu1");
  TMenuItem open(&form, "N1", "Открыть");
  popup.Add(&open);
  int opened = 0;
  open.OnClick = [&] { ++opened; };
  TListBox list(&form, "LV");
  list.SetPopupMenu(&popup);
  list.ContextPopup(300, 200);
  EXPECT_EQ(popup.PopupCount(), 1);
  EXPECT_EQ(popup.PopupX(), 300);
  open.Click();
  open.SetEnabled(false);
  open.Click();
  EXPECT_EQ(opened, 1);

  TMainMenu menu(&form, "MainMenu1");
  TMenuItem file(&form, "File1", "&Файл");
  TMenuItem sep(&form, "N2", "-");
  TMenuItem exit(&form, "FileExitItem", "Выход");
  file.Add(&sep);
  file.Add(&exit);
  menu.Add(&file);
  form.SetMenu(&menu);
  EXPECT_EQ(form.Menu(), &menu);
  EXPECT_TRUE(sep.IsSeparator());
  EXPECT_EQ(menu.Items()[0]->Items()[1], &exit);
}

TEST(ToolBar, ButtonsClickUnlessDisabledOrSeparators) {
  TForm form("F");
  TToolBar bar(&form, "ToolBar1");
  TToolButton open(&bar, "ToolButton1", "&Open");
  TToolButton gap(&bar, "ToolButton2");
  gap.SetSeparator(true);
  int clicks = 0;
  open.OnClick = [&] { ++clicks; };
  gap.OnClick = [&] { ++clicks; };
  open.Click();
  gap.Click();
  open.SetEnabled(false);
  open.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(bar.Buttons(), (std::vector<TToolButton*>{&open, &gap}));
}

TEST(SaveDialog, AsksTheDialogServiceAndAddsTheDefaultExtension) {
  ScriptedDialogService dialogs;
  Application().SetDialogService(&dialogs);
  TForm form("F");
  TSaveDialog save(&form, "SaveDG");
  save.SetDefaultExt(".txt");
  save.SetFileName("*.txt");
  dialogs.save_names = {"/tmp/log1", "/tmp/log.csv", "/tmp/dir.d/log", ""};
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/log1.txt");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/log.csv");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/dir.d/log.txt");  // a dot in a directory is no extension
  EXPECT_FALSE(save.Execute());                      // cancelled: the name stays
  EXPECT_EQ(save.FileName(), "/tmp/dir.d/log.txt");
  EXPECT_FALSE(save.Execute());
  ASSERT_EQ(dialogs.save_requests.size(), 5u);
  EXPECT_EQ(dialogs.save_requests[0].file_name, "*.txt");
  EXPECT_EQ(dialogs.save_requests[0].default_ext, "txt");
  Application().SetDialogService(nullptr);
}

TEST(Form, EventsModalResultAndCaptionBar) {
  TForm form("Form1", "QVK-server  (14.06.14) ");
  std::vector<std::string> events;
  form.OnShow = [&] { events.push_back("show"); };
  form.OnHide = [&] { events.push_back("hide"); };
  form.OnActivate = [&] { events.push_back("activate"); };
  form.OnResize = [&] { events.push_back("resize " + std::to_string(form.Width())); };
  form.OnMouseUp = [&](TMouseButton button, int shift, int x, int y) {
    events.push_back("up " + std::to_string(button == TMouseButton::mbRight) + " " +
                     std::to_string(shift) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  form.OnCloseQuery = [&](bool& can_close) {
    can_close = false;
    form.Hide();  // the server's close box only hides its window
  };
  EXPECT_FALSE(form.Visible());
  form.Show();
  form.Activate();
  form.SetBounds(270, 420, 338, 303);
  form.SetLeft(300);  // a move is no resize
  form.MouseUp(TMouseButton::mbRight, ssShift, 49, 10);
  form.Close();
  EXPECT_EQ(events,
            (std::vector<std::string>{"show", "activate", "resize 338", "up 1 1 49,10", "hide"}));

  // Caption bar removal: the style word read and written back without WS_CAPTION.
  EXPECT_TRUE(form.HasCaptionBar());
  const std::uint32_t style = GetWindowLongA(form, GWL_STYLE);
  EXPECT_EQ(SetWindowLongA(form, GWL_STYLE, style & 0xFF3FFFFF), style);
  EXPECT_FALSE(form.HasCaptionBar());
  EXPECT_EQ(GetWindowLongA(form, GWL_STYLE), style & 0xFF3FFFFFu);
  EXPECT_EQ(GetWindowLongA(form, 0), 0u);
  TForm bare("Bare");
  RemoveCaptionBar(bare);
  EXPECT_FALSE(bare.HasCaptionBar());
  EXPECT_EQ(bare.WindowStyle(), WS_DEFAULT_STYLE & ~WS_CAPTION);
}

TEST(Form, MdiChildrenAndTheirArrangements) {
  TForm main("MainForm");
  main.SetFormStyle(TFormStyle::fsMDIForm);
  main.SetBounds(0, 0, 1000, 700);
  TToolBar tools(&main, "ToolBar1");  // 29 high
  TStatusBar status(&main, "StatusBar");
  status.SetHeight(21);
  TForm a("Form1"), b("Form2"), hidden("FormSOB");
  a.SetMdiParent(&main);
  b.SetMdiParent(&main);
  hidden.SetMdiParent(&main);
  a.Show();
  b.Show();
  EXPECT_EQ(a.FormStyle(), TFormStyle::fsMDIChild);
  EXPECT_EQ(main.MdiChildren(), (std::vector<TForm*>{&a, &b, &hidden}));

  main.TileHorizontal();  // client area 1000 x 650
  EXPECT_EQ(a.Top(), 0);
  EXPECT_EQ(a.Height(), 325);
  EXPECT_EQ(b.Top(), 325);
  EXPECT_EQ(b.Width(), 1000);
  main.TileVertical();
  EXPECT_EQ(b.Left(), 500);
  EXPECT_EQ(b.Height(), 650);
  main.Cascade();
  EXPECT_EQ(b.Left(), 24);
  EXPECT_EQ(hidden.Width(), 100);  // hidden children keep their place
  {
    TForm gone("Gone");
    gone.SetMdiParent(&main);
  }
  EXPECT_EQ(main.MdiChildren().size(), 3u);
}

// As the window system keeps a window: within the work area, no smaller than a form can be,
// its top-left corner inside and clear of the right and bottom edges; a child's place counts
// from its parent's client area. What the window system reports is taken as it stands.
TEST(Form, BoundsStayWithinTheWorkArea) {
  Application().SetWorkArea({100, 50, 1000, 700});
  TForm main("MainForm");
  main.SetFormStyle(TFormStyle::fsMDIForm);
  TForm child("Form1");
  child.SetMdiParent(&main);
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  struct Case {
    TForm* form;
    std::vector<int> asked;  // Left, Top, Width, Height
    std::vector<int> given;
  };
  const Case cases[] = {
      {&main, {300, 200, 400, 300}, {300, 200, 400, 300}},
      {&main, {100, 50, 1000, 700}, {100, 50, 1000, 700}},
      {&main, {40000, 40000, 40000, 40000}, {1000, 650, 1000, 700}},
      {&main, {-40000, 0, -1, 0}, {100, 50, 120, 32}},
      {&main, {kMin, kMax, kMax, kMin}, {100, 650, 1000, 32}},
      {&child, {0, 410, 645, 285}, {0, 410, 645, 285}},
      {&child, {40000, 40000, 40000, 40000}, {900, 600, 1000, 700}},
      {&child, {-40, -1, 5, 5}, {0, 0, 120, 32}},
  };
  for (const Case& c : cases) {
    c.form->SetBounds(c.asked[0], c.asked[1], c.asked[2], c.asked[3]);
    EXPECT_EQ((std::vector<int>{c.form->Left(), c.form->Top(), c.form->Width(), c.form->Height()}),
              c.given)
        << c.form->Name() << " " << c.asked[0] << "," << c.asked[1] << " " << c.asked[2] << "x"
        << c.asked[3];
  }
  main.SetWidth(50000);
  EXPECT_EQ(main.Width(), 1000);

  main.Move(-300, 20);
  main.Resize(3000, 10);
  EXPECT_EQ((std::vector<int>{main.Left(), main.Top(), main.Width(), main.Height()}),
            (std::vector<int>{-300, 20, 3000, 10}));
  TPanel panel(&main, "Panel1");
  panel.SetBounds(-5, -5, 5000, 3);
  EXPECT_EQ(panel.Width(), 5000);
  Application().SetWorkArea(kDefaultWorkArea);
}

}  // namespace

namespace {

using namespace forms;

TEST(StandardActions, WindowActionsArrangeTheMdiParentEditActionsGoToTheService) {
  ScriptedDialogService dialogs;
  Application().SetDialogService(&dialogs);
  TForm main("MainForm");
  main.SetFormStyle(TFormStyle::fsMDIForm);
  main.SetBounds(0, 0, 900, 600);
  TToolBar tools(&main, "ToolBar1");
  tools.SetVisible(false);
  TToolButton tile(&tools, "ToolButton9");
  tile.SetStandardAction(TStandardAction::WindowTileVertical);
  TMenuItem copy(&main, "EditCopy1", "&Copy");
  copy.SetStandardAction(TStandardAction::EditCopy);
  int clicks = 0;
  copy.OnClick = [&] { ++clicks; };
  TForm a("Form1"), b("Form2");
  for (TForm* child : {&a, &b}) {
    child->SetMdiParent(&main);
    child->Show();
  }
  tile.Click();
  EXPECT_EQ(b.Left(), 450);
  EXPECT_EQ(b.Height(), 600);
  copy.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dialogs.edit_actions, (std::vector<TStandardAction>{TStandardAction::EditCopy}));
  Application().SetDialogService(nullptr);
}

}  // namespace
