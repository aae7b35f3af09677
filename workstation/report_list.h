#pragma once
// The report lists of the windows: grid lines, report style, columns given width first and
// then caption, and for the fixed lists rows of empty sub-items.
#include <span>
#include <string>

#include "platform/forms/list_view.h"

namespace lumora {

struct ReportColumn {
  const char* caption;
  int width;
};

// Grid lines, report style and the columns in order.
void InitReportColumns(forms::TListView& list, std::span<const ReportColumn> columns);

// A row's caption from its index; null leaves the rows without a caption.
using RowCaption = std::string (*)(int row);

// The columns, then `rows` rows of `sub_items` empty sub-items each.
void InitReportList(forms::TListView& list, std::span<const ReportColumn> columns, int rows,
                    int sub_items, RowCaption caption = nullptr);

}  // namespace lumora
