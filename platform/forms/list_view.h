#pragma once
// The list view: columns, items with sub-items, selection, and per-cell custom draw. In
// report style column 0 shows an item's caption and column k (k >= 1) its sub-item k - 1.
//
// Custom draw: the window system (or a test) asks DrawCell(row, column) for every cell it
// paints. The canvas starts with the list's colours; the item handlers
// (OnCustomDrawItem, then OnAdvancedCustomDrawItem with stage cdPrePaint) set the row's
// colours; then for every column, 0 included, the canvas starts from what the item handlers
// left and the sub-item handlers (OnCustomDrawSubItem, then OnAdvancedCustomDrawSubItem) set
// the cell's. A handler that clears default_draw leaves the cell's text undrawn.
#include <memory>

#include "platform/forms/controls.h"

namespace forms {

class TListView;

class TListColumn {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  int Width() const { return width_; }
  void SetWidth(int v);

 private:
  friend class TListColumns;
  explicit TListColumn(TListView* list) : list_(list) {}
  TListView* list_;
  std::string caption_;
  int width_ = 50;
};

class TListColumns {
 public:
  explicit TListColumns(TListView* list) : list_(list) {}
  int Count() const { return static_cast<int>(columns_.size()); }
  // A new column at the end (caption empty, width 50).
  TListColumn* Add();
  // nullptr outside 0..Count()-1.
  TListColumn* Item(int index) const;
  TListColumn* operator[](int index) const { return Item(index); }
  void Delete(int index);
  void Clear();

 private:
  TListView* list_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
};

class TListItem {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  // Sub-item k shows in column k + 1.
  TStrings& SubItems() { return sub_items_; }
  const TStrings& SubItems() const { return sub_items_; }
  // Text of column: the caption for 0, else the sub-item (empty when there is none).
  const std::string& ColumnText(int column) const;
  // Position in the list (-1 once deleted).
  int Index() const;
  bool Selected() const { return selected_; }
  void SetSelected(bool v);
  TListView* ListView() const { return list_; }
  // Unique among all items ever made, so a window system can follow rows across inserts.
  std::uint64_t Id() const { return id_; }
  // Counts the changes of the caption and the sub-items.
  std::uint32_t Revision() const { return revision_; }
  // The program's own value for the item.
  void* Data = nullptr;

 private:
  friend class TListItems;
  friend class TListView;
  explicit TListItem(TListView* list);
  void TextChanged();
  TListView* list_;
  std::uint64_t id_;
  std::uint32_t revision_ = 0;
  std::string caption_;
  TStrings sub_items_;
  bool selected_ = false;
};

class TListItems {
 public:
  explicit TListItems(TListView* list) : list_(list) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // A new empty item at the end.
  TListItem* Add();
  // A new empty item at index (0..Count(); outside that range it goes to the end).
  TListItem* Insert(int index);
  // Removes the item at index; nothing outside 0..Count()-1.
  void Delete(int index);
  void Clear();
  // nullptr outside 0..Count()-1.
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }
  int IndexOf(const TListItem* item) const;
  // Changes between BeginUpdate and EndUpdate reach the window system once, at the end.
  void BeginUpdate();
  void EndUpdate();

 private:
  TListView* list_;
  std::vector<std::unique_ptr<TListItem>> items_;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum class TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
// State bits of the item being drawn.
inline constexpr int cdsSelected = 1;
inline constexpr int cdsFocused = 2;
inline constexpr int cdsHot = 4;

struct TFontSpec {
  TColor Color = clWindowText;
  bool Bold = false;
};
struct TBrushSpec {
  TColor Color = clWindow;
};
// What a custom-draw handler sets for the cell about to be drawn.
struct TCanvas {
  TFontSpec Font;
  TBrushSpec Brush;
};

// The outcome of custom draw for one cell.
struct TCellDraw {
  std::string text;
  TColor font_color = clWindowText;
  TColor brush_color = clWindow;
  bool font_bold = false;
  bool default_draw = true;
};

class TListView : public TWinControl {
 public:
  TListView(TWinControl* parent, std::string name);

  TListColumns& Columns() { return columns_; }
  const TListColumns& Columns() const { return columns_; }
  TListItems& Items() { return items_; }
  const TListItems& Items() const { return items_; }

  TViewStyle ViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle v);
  bool GridLines() const { return grid_lines_; }
  void SetGridLines(bool v);
  bool RowSelect() const { return row_select_; }
  void SetRowSelect(bool v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v);

  // The first selected item, or nullptr.
  TListItem* Selected() const;
  void SetSelected(TListItem* item);
  // Index of the first selected item, or -1; setting selects one item (or none for -1).
  int ItemIndex() const;
  void SetItemIndex(int index);
  int SelCount() const;
  void ClearSelection();

  // The canvas of the cell being drawn; valid inside the custom-draw handlers.
  TCanvas& Canvas() { return canvas_; }
  // Runs custom draw for one cell (column 0 is the caption column).
  TCellDraw DrawCell(int row, int column);

  // Input from the window system or a test: a click on a row selects it (-1: on empty
  // space, which clears the selection), then OnClick runs; a double click then runs
  // OnDblClick.
  void ClickItem(int index);
  void DoubleClickItem(int index);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  // The selection of item changed (selected: its new state).
  std::function<void(TListItem& item, bool selected)> OnSelectItem;
  std::function<void(TListView& sender, TListItem& item, int state, bool& default_draw)>
      OnCustomDrawItem;
  std::function<void(TListView& sender, TListItem& item, int sub_item, int state,
                     bool& default_draw)>
      OnCustomDrawSubItem;
  std::function<void(TListView& sender, TListItem& item, int state, TCustomDrawStage stage,
                     bool& default_draw)>
      OnAdvancedCustomDrawItem;
  std::function<void(TListView& sender, TListItem& item, int sub_item, int state,
                     TCustomDrawStage stage, bool& default_draw)>
      OnAdvancedCustomDrawSubItem;

 private:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumn;
  friend class TListColumns;
  void ContentChanged();
  void SelectionChanged(TListItem& item);

  TListColumns columns_{this};
  TListItems items_{this};
  TViewStyle view_style_ = TViewStyle::vsIcon;
  bool grid_lines_ = false;
  bool row_select_ = false;
  bool read_only_ = false;
  bool multi_select_ = false;
  int update_depth_ = 0;
  bool update_pending_ = false;
  TCanvas canvas_;
};

}  // namespace forms
