#include "server/sql_test_window.h"

#include <initializer_list>
#include <string>

#include "link/cp1251.h"
#include "server/database_writer.h"

namespace tolvex {

TFormSQL* FormSQL = nullptr;

namespace {

// The number every button writes for, as the database receives it.
std::string NumberText(const forms::TEdit& edit) {
  return lamp::Utf8ToCp1251(edit.Text());
}

void AddMemoLines(forms::TMemo& memo, std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) memo.Lines().Add(line);
}

}  // namespace

TFormSQL::TFormSQL() : forms::TForm("FormSQL", "SQL") {
  FormSQL = this;
  SetVisible(false);
  SetBounds(260, 190, 660, 400);
  Edit1.SetBounds(8, 8, 120, 22);
  Edit2.SetBounds(140, 8, 80, 22);
  forms::TBitBtn* buttons[] = {&BitBtn2, &BitBtn3, &BitBtn4, &BitBtn5, &BitBtn1,
                               &BitBtn7, &BitBtn8, &BitBtn9, &BitBtn10};
  int left = 8;
  for (forms::TBitBtn* button : buttons) {
    button->SetBounds(left, 40, 70, 26);
    left += 72;
  }
  Memo1.SetBounds(8, 74, Width() - 25, 290);
  Memo1.SetFontName("Courier New");
}

TFormSQL::~TFormSQL() {
  if (FormSQL == this) FormSQL = nullptr;
}

void TFormSQL::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  OnResize = [this] { FormResize(); };
}

void TFormSQL::BitBtn2Click() {
  Edit2.SetText(std::to_string(GetCOUNT(NumberText(Edit1))));
}

void TFormSQL::BitBtn3Click() {
  UpdCHALL(NumberText(Edit1), 5, 1, 3, 650, 1, 2, 3, 21);
  AddMemoLines(Memo1, {"UPDATE battall SET ", Edit1.Text(),
                       "INDSS, KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT",
                       "       5,   1,    3,   650,   1,  2,   3,    21"});
}

void TFormSQL::BitBtn4Click() {
  AddCHALL(NumberText(Edit1), 5, 1, 3, 650, 1, 2, 3, 21);
  AddMemoLines(Memo1,
               {"TABLE battall", Edit1.Text(), "INDSS, KZR, KZRB, Tip,CNAK, ST, UCH, BRIG, NUMBATT",
                "        5,  1,    3,  650,  1,  2,   3,    21"});
}

void TFormSQL::BitBtn5Click() {
  AddMemoLines(Memo1, {"INSERT INTO  battall ", Edit1.Text(),
                       " fn  IDIS, TDIS, CACC,  CET, PROC, TIP, ST, UCH, BRIG, NUMBATT",
                       "1155,101,  300,   640,   800,  80, 3,   1,  2,   3 ,   21 "});
  AddDISSALL(NumberText(Edit1), 240, 20, 100, 1, 2, 3, 4, 16);
}

void TFormSQL::BitBtn1Click() {
  AddChDis(NumberText(Edit1), 1155, 400, 60, 120, 2, 1, 5, 6, 1, 950, 2000, 13);
  AddMemoLines(Memo1, {"INSERT INTO accumdis  ", Edit1.Text(),
                       "1155, 400, 60, 120, 2, 1, 5, 6, 1, 950, 2000, 13"});
}

void TFormSQL::BitBtn7Click() {
  AddAccCH(NumberText(Edit1), 1155, 101, 0, 2, 1, 2, 3, 17, 600, 30, 4300, 1100, 1, 1400);
  AddMemoLines(Memo1, {"INSERT INTO  accumch ", Edit1.Text(),
                       " fn,  KZR, KZRB, Tip, ST,UCH,BR,FZR, VREAL, IREAL,V2Z, I2Z,NUMBATT,CNAK",
                       " 1155,101, 0,    2,   1,  2, 3, 17,  4200,   30,  4400,11,  1,     1400 "});
}

void TFormSQL::BitBtn8Click() {
  UpdDISSALL(NumberText(Edit1), 240, 20, 100, 1, 2, 3, 4, 16);
}

void TFormSQL::BitBtn9Click() {
  AddStat(NumberText(Edit1), 1155, 12000, 12001, 5001, 25, 11900, 12010, 11800, 12200, 4990, 5005,
          19, 48, 7);
  AddMemoLines(
      Memo1,
      {"TABLE  statcell", Edit1.Text(),
       " 1155,  12000,12001 ,5001  , 25,  11900, 12010, 11800, 12200,  4990, 5005, 19, 48, 7"});
}

void TFormSQL::BitBtn10Click() {
  Memo1.Lines().Clear();
}

void TFormSQL::FormResize() {
  Memo1.SetWidth(Width() - 25);
}

}  // namespace tolvex
