#include "workstation/report_list.h"

namespace lumora {

void InitReportColumns(forms::TListView& list, std::span<const ReportColumn> columns) {
  list.SetGridLines(true);
  list.SetViewStyle(forms::TViewStyle::vsReport);
  for (const ReportColumn& spec : columns) {
    forms::TListColumn* column = list.Columns().Add();
    column->SetWidth(spec.width);
    column->SetCaption(spec.caption);
  }
}

void InitReportList(forms::TListView& list, std::span<const ReportColumn> columns, int rows,
                    int sub_items, RowCaption caption) {
  InitReportColumns(list, columns);
  list.Items().BeginUpdate();
  for (int r = 0; r < rows; ++r) {
    forms::TListItem* row = list.Items().Add();
    if (caption != nullptr) row->SetCaption(caption(r));
    for (int k = 0; k < sub_items; ++k) row->SubItems().Add("");
  }
  list.Items().EndUpdate();
}

}  // namespace lumora
