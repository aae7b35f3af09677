#include "platform/forms/list_view.h"

#include <algorithm>

namespace forms {

// ---- columns ----

void TListColumn::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  list_->ContentChanged();
}

void TListColumn::SetWidth(int v) {
  if (v == width_) return;
  width_ = v;
  list_->ContentChanged();
}

TListColumn* TListColumns::Add() {
  columns_.push_back(std::unique_ptr<TListColumn>(new TListColumn(list_)));
  list_->ContentChanged();
  return columns_.back().get();
}

TListColumn* TListColumns::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return columns_[static_cast<size_t>(index)].get();
}

void TListColumns::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  columns_.erase(columns_.begin() + index);
  list_->ContentChanged();
}

void TListColumns::Clear() {
  if (columns_.empty()) return;
  columns_.clear();
  list_->ContentChanged();
}

// ---- items ----

namespace {
std::uint64_t next_item_id = 1;
}  // namespace

TListItem::TListItem(TListView* list) : list_(list), id_(next_item_id++) {
  sub_items_.OnChange = [this] { TextChanged(); };
}

void TListItem::TextChanged() {
  ++revision_;
  if (list_ != nullptr) list_->ContentChanged();
}

void TListItem::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  TextChanged();
}

const std::string& TListItem::ColumnText(int column) const {
  return column == 0 ? caption_ : sub_items_.Get(column - 1);
}

int TListItem::Index() const {
  return list_ != nullptr ? list_->Items().IndexOf(this) : -1;
}

void TListItem::SetSelected(bool v) {
  if (v == selected_) return;
  if (v && list_ != nullptr && !list_->MultiSelect()) {
    list_->ClearSelection();
  }
  selected_ = v;
  if (list_ != nullptr) list_->SelectionChanged(*this);
}

TListItem* TListItems::Add() {
  return Insert(Count());
}

TListItem* TListItems::Insert(int index) {
  if (index < 0 || index > Count()) index = Count();
  auto it = items_.insert(items_.begin() + index, std::unique_ptr<TListItem>(new TListItem(list_)));
  list_->ContentChanged();
  return it->get();
}

void TListItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  std::unique_ptr<TListItem> gone = std::move(items_[static_cast<size_t>(index)]);
  items_.erase(items_.begin() + index);
  gone->list_ = nullptr;
  list_->ContentChanged();
}

void TListItems::Clear() {
  if (items_.empty()) return;
  for (auto& item : items_) item->list_ = nullptr;
  items_.clear();
  list_->ContentChanged();
}

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<size_t>(i)].get() == item) return i;
  }
  return -1;
}

void TListItems::BeginUpdate() {
  ++list_->update_depth_;
}

void TListItems::EndUpdate() {
  if (list_->update_depth_ == 0) return;
  if (--list_->update_depth_ == 0 && list_->update_pending_) {
    list_->update_pending_ = false;
    list_->ContentChanged();
  }
}

// ---- TListView ----

TListView::TListView(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
  InitColor(clWindow);
}

void TListView::ContentChanged() {
  if (update_depth_ > 0) {
    update_pending_ = true;
    return;
  }
  Changed();
}

void TListView::SelectionChanged(TListItem& item) {
  ContentChanged();
  if (OnSelectItem) OnSelectItem(item, item.Selected());
}

void TListView::SetViewStyle(TViewStyle v) {
  if (v == view_style_) return;
  view_style_ = v;
  Changed();
}

void TListView::SetGridLines(bool v) {
  if (v == grid_lines_) return;
  grid_lines_ = v;
  Changed();
}

void TListView::SetRowSelect(bool v) {
  if (v == row_select_) return;
  row_select_ = v;
  Changed();
}

void TListView::SetReadOnly(bool v) {
  if (v == read_only_) return;
  read_only_ = v;
  Changed();
}

void TListView::SetMultiSelect(bool v) {
  if (v == multi_select_) return;
  multi_select_ = v;
  if (!v) {
    // Only the first selected item stays selected.
    TListItem* first = Selected();
    for (int i = 0; i < items_.Count(); ++i) {
      TListItem* item = items_[i];
      if (item != first && item->selected_) item->SetSelected(false);
    }
  }
  Changed();
}

TListItem* TListView::Selected() const {
  for (int i = 0; i < items_.Count(); ++i) {
    if (items_[i]->Selected()) return items_[i];
  }
  return nullptr;
}

void TListView::SetSelected(TListItem* item) {
  if (item == nullptr || item->list_ != this) {
    ClearSelection();
    return;
  }
  if (multi_select_) ClearSelection();
  item->SetSelected(true);
}

int TListView::ItemIndex() const {
  TListItem* item = Selected();
  return item != nullptr ? item->Index() : -1;
}

void TListView::SetItemIndex(int index) {
  SetSelected(items_.Item(index));
}

int TListView::SelCount() const {
  int count = 0;
  for (int i = 0; i < items_.Count(); ++i) count += items_[i]->Selected() ? 1 : 0;
  return count;
}

void TListView::ClearSelection() {
  for (int i = 0; i < items_.Count(); ++i) {
    TListItem* item = items_[i];
    if (item->selected_) {
      item->selected_ = false;
      SelectionChanged(*item);
    }
  }
}

TCellDraw TListView::DrawCell(int row, int column) {
  TCellDraw cell;
  TListItem* item = items_.Item(row);
  if (item == nullptr || column < 0) return cell;
  cell.text = item->ColumnText(column);
  const int state = item->Selected() ? cdsSelected : 0;

  canvas_.Font.Color = FontColor();
  canvas_.Font.Bold = FontBold();
  canvas_.Brush.Color = Color();
  bool default_draw = true;
  if (OnCustomDrawItem) OnCustomDrawItem(*this, *item, state, default_draw);
  if (OnAdvancedCustomDrawItem) {
    OnAdvancedCustomDrawItem(*this, *item, state, TCustomDrawStage::cdPrePaint, default_draw);
  }
  // Every cell of the row starts from the colours the item handlers chose. A handler may
  // have deleted the item; what it left on the canvas still counts.
  if (items_.IndexOf(item) >= 0 && (OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem)) {
    if (OnCustomDrawSubItem) OnCustomDrawSubItem(*this, *item, column, state, default_draw);
    if (OnAdvancedCustomDrawSubItem && items_.IndexOf(item) >= 0) {
      OnAdvancedCustomDrawSubItem(*this, *item, column, state, TCustomDrawStage::cdPrePaint,
                                  default_draw);
    }
  }
  cell.font_color = canvas_.Font.Color;
  cell.font_bold = canvas_.Font.Bold;
  cell.brush_color = canvas_.Brush.Color;
  cell.default_draw = default_draw;
  return cell;
}

void TListView::ClickItem(int index) {
  TListItem* item = items_.Item(index);
  if (item == nullptr) {
    ClearSelection();
  } else {
    SetSelected(item);
  }
  if (OnClick) OnClick();
}

void TListView::DoubleClickItem(int index) {
  ClickItem(index);
  if (OnDblClick) OnDblClick();
}

}  // namespace forms
