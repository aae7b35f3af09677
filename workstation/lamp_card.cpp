#include "workstation/lamp_card.h"

#include "link/cp1251.h"
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/lamp_mode_list.h"
#include "workstation/report_list.h"

namespace lumora {

TFormSVET* FormSVET = nullptr;
bool LampCardReloadFlag = false;
bool CurrentControlFlag = false;
bool BatteryControlFlag = false;

namespace {

constexpr ReportColumn kParameterColumns[] = {
    {"Параметр", 150}, {"Знач.", 50}, {"Ток", 50}, {"Напр.", 50}, {"Время", 50}};

void PlaceLabeledEdit(forms::TLabel& label, forms::TEdit& edit, int left, int top, int width) {
  label.SetBounds(left, top, width, 16);
  edit.SetBounds(left, top + 16, width, 22);
}

}  // namespace

TFormSVET::TFormSVET() : forms::TForm("FormSVET", "Светильник") {
  FormSVET = this;
  SetBounds(200, 200, 582, 533);
  SetVisible(false);

  Panel1.SetBounds(0, 0, 582, 150);
  PlaceLabeledEdit(LabelTN, EditTN, 8, 4, 80);
  PlaceLabeledEdit(LabelWTN, EditWTN, 96, 4, 80);
  PlaceLabeledEdit(LabelZST, EditZST, 184, 4, 50);
  PlaceLabeledEdit(LabelFIO, EditFIO, 242, 4, 330);
  PlaceLabeledEdit(LabelWTEL, EditWTEL, 8, 46, 120);
  PlaceLabeledEdit(LabelUCH, EditUCH, 136, 46, 80);
  PlaceLabeledEdit(LabelBR, EditBR, 224, 46, 80);
  PlaceLabeledEdit(LabelNFIND, EditNFIND, 312, 46, 120);
  PlaceLabeledEdit(LabelNCALL, EditNCALL, 440, 46, 132);
  MemoCM.SetBounds(8, 90, 564, 54);

  Panel4.SetBounds(0, 152, 356, 122);
  LabelCharge.SetBounds(4, 22, 166, 16);
  EditKK.SetBounds(172, 18, 40, 22);
  EditCNAK.SetBounds(214, 18, 54, 22);
  // One "Дата" heading serves the date column of both report rows.
  LabelDAT2.SetBounds(272, 2, 80, 16);
  LabelDAT1.SetBounds(272, 2, 80, 16);
  EditDAT2.SetBounds(270, 18, 82, 22);
  LabelCapacity.SetBounds(4, 48, 166, 16);
  EditPROC.SetBounds(172, 44, 40, 22);
  EditCBATX.SetBounds(214, 44, 54, 22);
  EditDAT1.SetBounds(270, 44, 82, 22);
  LabelShift.SetBounds(4, 74, 150, 16);
  EditSMTIME.SetBounds(172, 70, 96, 22);
  EditSMBATT.SetBounds(270, 70, 82, 22);
  LabelModeChanged.SetBounds(4, 100, 150, 16);
  EditTIMIZM.SetBounds(172, 96, 96, 22);
  EditDATIZM.SetBounds(270, 96, 82, 22);

  ListView1.SetBounds(0, 276, 356, 257);
  ListView1.SetReadOnly(true);

  Panel2.SetBounds(360, 152, 222, 310);
  EditWAIT.SetBounds(8, 20, 206, 22);
  EditWAIT.SetReadOnly(true);
  EditWAIT.SetColor(forms::clWhite);
  BitBtn1.SetBounds(8, 50, 100, 28);
  BitBtn2.SetBounds(114, 50, 100, 28);
  BitBtn8.SetBounds(8, 84, 100, 28);
  BitBtn10.SetBounds(114, 84, 100, 28);
  BitBtn4.SetBounds(8, 118, 100, 28);
  BitBtn9.SetBounds(114, 118, 100, 28);
  Panel3.SetBounds(8, 152, 206, 150);
  LabelCIK.SetBounds(8, 24, 40, 16);
  EditCIK.SetBounds(50, 20, 80, 22);
  EditCIK.SetReadOnly(true);
  RadioMD.SetBounds(8, 48, 100, 94);
  RadioMD.Items().Add("ОТКЛ");
  RadioMD.Items().Add("ВКЛ");
  RadioMD.Items().Add("АВТО");
  RadioMD.SetItemIndex(2);
  EditKC.SetBounds(114, 60, 84, 22);
  EditKC.SetColor(forms::clWhite);
  BitBtn3.SetBounds(114, 96, 84, 28);

  BitBtn6.SetBounds(360, 466, 222, 30);
  BitBtn5.SetBounds(360, 500, 222, 30);
  BitBtn7.SetBounds(0, 0, 60, 24);
  BitBtn7.SetVisible(false);
}

TFormSVET::~TFormSVET() {
  if (FormSVET == this) FormSVET = nullptr;
}

void TFormSVET::TimerSTTimer() {
  ListView1.Columns().Clear();
  InitReportColumns(ListView1, kParameterColumns);
  TimerST.SetEnabled(false);
}

void TFormSVET::FormCloseQuery(bool& can_close) {
  EditWAIT.SetColor(forms::clWhite);
  EditWAIT.SetText("");
  EditKC.SetColor(forms::clWhite);
  can_close = true;
}

void TFormSVET::ListView1AdvancedCustomDrawItem(forms::TListView& sender, forms::TListItem& item,
                                                int /*state*/, forms::TCustomDrawStage stage,
                                                bool& /*default_draw*/) {
  if (stage != forms::TCustomDrawStage::cdPrePaint) return;
  const int row = item.Index();
  if (row == kRowPreDischarge || row == kRowControlDischarge) {
    sender.Canvas().Brush.Color = kDischargeRowsColor;
  } else if (row >= kRowCharge && row <= kRowEndChargeCurrentDrop) {
    sender.Canvas().Brush.Color = kChargeRowsColor;
  }
}

void TFormSVET::ListView1AdvancedCustomDrawSubItem(forms::TListView& sender, forms::TListItem& item,
                                                   int column, int /*state*/,
                                                   forms::TCustomDrawStage stage,
                                                   bool& /*default_draw*/) {
  if (stage != forms::TCustomDrawStage::cdPrePaint) return;
  const int row = item.Index();
  forms::TCanvas& canvas = sender.Canvas();
  if (row == kRowTrickle) {
    canvas.Brush.Color = column == 0 ? kTrickleCaptionColor : kTrickleValuesColor;
  }
  if (column == 1) {
    if (row == kRowCurrentControl) {
      canvas.Font.Color = CurrentControlFlag ? kSwitchAlarmColor : kSwitchTextColor;
    } else if (row == kRowBatteryControl) {
      canvas.Font.Color = BatteryControlFlag ? kSwitchAlarmColor : kSwitchTextColor;
    }
  } else if (column == 2) {
    canvas.Font.Color = kCurrentColumnColor;
  }
}

std::string LampCardNumber() {
  if (FormSVET == nullptr) return {};
  return lamp::Utf8ToCp1251(FormSVET->EditTN.Text());
}

void ClearBatteryFields() {
  if (FormSVET == nullptr) return;
  TFormSVET& f = *FormSVET;
  for (forms::TEdit* edit :
       {&f.EditSMTIME, &f.EditSMBATT, &f.EditTIMIZM, &f.EditDATIZM, &f.EditDAT2, &f.EditDAT1,
        &f.EditKK, &f.EditCBATX, &f.EditPROC, &f.EditCNAK}) {
    edit->SetText("");
  }
}

void ClearLampCard() {
  if (FormSVET == nullptr) return;
  TFormSVET& f = *FormSVET;
  for (forms::TEdit* edit : {&f.EditUCH, &f.EditBR, &f.EditZST, &f.EditFIO, &f.EditWTEL}) {
    edit->SetText("");
  }
  ClearBatteryFields();
}

void ReadLampCardWorker(std::string& station, std::string& section, std::string& brigade) {
  if (FormSVET == nullptr) return;
  station = FormSVET->EditZST.Text();
  section = FormSVET->EditUCH.Text();
  brigade = FormSVET->EditBR.Text();
}

void ReloadLampCard() {
  ClearLampCard();
  if (FormSVET != nullptr) FormSVET->ListView1.Items().Clear();
  LampCardReloadFlag = true;
}

void ShowModeOnLampCard(const lamp::ModeDisplayRecord& record) {
  const ModeListRows list = BuildModeListRows(record);
  CurrentControlFlag = list.current_control;
  BatteryControlFlag = list.battery_control;
  if (FormSVET == nullptr) return;
  forms::TListItems& items = FormSVET->ListView1.Items();
  items.BeginUpdate();
  items.Clear();
  for (const ModeListRow& row : list.rows) {
    forms::TListItem* item = items.Add();
    item->SetCaption(row.caption);
    for (const std::string& cell : row.cells) item->SubItems().Add(cell);
  }
  items.EndUpdate();
}

void TFormSVET::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
  ListView1.OnAdvancedCustomDrawItem = [this](forms::TListView& sender, forms::TListItem& item,
                                              int state, forms::TCustomDrawStage stage,
                                              bool& default_draw) {
    ListView1AdvancedCustomDrawItem(sender, item, state, stage, default_draw);
  };
  ListView1.OnAdvancedCustomDrawSubItem =
      [this](forms::TListView& sender, forms::TListItem& item, int column, int state,
             forms::TCustomDrawStage stage, bool& default_draw) {
        ListView1AdvancedCustomDrawSubItem(sender, item, column, state, stage, default_draw);
      };

  SetLampWaitField(&EditWAIT);
  BatteryEditorHooks.ShowModeOnLampCard = &ShowModeOnLampCard;
  BatteryEditorHooks.ReadLampCardWorker = &ReadLampCardWorker;
}

}  // namespace lumora
