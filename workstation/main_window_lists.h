#pragma once
// The report lists of the main window's views (the lamp-room list and the station view's two
// cell lists): grid lines, report style, columns given width first and then caption, and
// rows of empty sub-items.
#include <span>
#include <string>

#include "platform/forms/list_view.h"

namespace lumora {

struct ReportColumn {
  const char* caption;
  int width;
};

// A row's caption from its index; null leaves the rows without a caption.
using RowCaption = std::string (*)(int row);

void InitReportList(forms::TListView& list, std::span<const ReportColumn> columns, int rows,
                    int sub_items, RowCaption caption = nullptr);

}  // namespace lumora
