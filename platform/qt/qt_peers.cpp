#include "platform/qt/qt_peers.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <memory>

namespace qtpeers {

using namespace forms;

QString ToQt(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toUtf8().toStdString();
}

QColor ToQColor(TColor color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QString QtInputMask(const std::string& mask) {
  // The library's '0' is a required digit and '9' an optional one; Qt spells them the other
  // way round. Qt's other mask characters are escaped to stay literals.
  static const std::string kQtSpecial = "AaNnXx90Dd#HhBb><!{}[]\\";
  std::string positions = mask.substr(0, mask.find(';'));
  if (!positions.empty() && positions[0] == '!') positions.erase(0, 1);
  std::string out;
  for (char c : positions) {
    if (c == '0') {
      out += '9';
    } else if (c == '9') {
      out += '0';
    } else {
      if (kQtSpecial.find(c) != std::string::npos) out += '\\';
      out += c;
    }
  }
  const size_t first = mask.find(';');
  const size_t second = first == std::string::npos ? first : mask.find(';', first + 1);
  char blank = '_';
  if (second != std::string::npos && second + 1 < mask.size()) blank = mask[second + 1];
  out += ';';
  out += blank;
  return ToQt(out);
}

namespace {

// An event filter from a function.
class FunctionFilter : public QObject {
 public:
  FunctionFilter(QObject* parent, std::function<bool(QObject*, QEvent*)> filter)
      : QObject(parent), filter_(std::move(filter)) {}
  bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> filter_;
};

void Filter(QObject* target, std::function<bool(QObject*, QEvent*)> filter) {
  target->installEventFilter(new FunctionFilter(target, std::move(filter)));
}

int ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  return shift;
}

TMouseButton ButtonOf(Qt::MouseButton button) {
  if (button == Qt::RightButton) return TMouseButton::mbRight;
  if (button == Qt::MiddleButton) return TMouseButton::mbMiddle;
  return TMouseButton::mbLeft;
}

void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, TColor color) {
  QPalette palette = widget->palette();
  if (palette.color(role) == ToQColor(color)) return;
  palette.setColor(role, ToQColor(color));
  widget->setPalette(palette);
}

// ---- controls: the part every control shares ----

template <class Model, class WidgetType>
class ControlPeer : public Peer {
 public:
  ControlPeer(PeerHost& host, Model& shown, WidgetType* widget)
      : Peer(host, shown), widget_(widget) {
    widget_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget_, &QWidget::customContextMenuRequested, widget_,
                     [this](const QPoint& position) {
                       if (Model* m = model()) {
                         QPoint global = widget_->mapToGlobal(position);
                         if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data())) {
                           global = area->viewport()->mapToGlobal(position);
                         }
                         m->ContextPopup(global.x(), global.y());
                       }
                     });
  }
  QWidget* Widget() const override { return widget_; }
  void Update() override {
    Model* m = model();
    if (m == nullptr || widget_ == nullptr) return;
    QSignalBlocker blocker(widget_);
    if (placed_) widget_->setGeometry(m->Left(), m->Top(), m->Width(), m->Height());
    widget_->setEnabled(m->Enabled());
    // Without a popup menu of its own a control keeps the window system's (an edit's
    // clipboard menu).
    widget_->setContextMenuPolicy(m->PopupMenu() != nullptr ? Qt::CustomContextMenu
                                                            : Qt::DefaultContextMenu);
    widget_->setToolTip(ToQt(m->Hint()));
    widget_->setStatusTip(ToQt(m->Hint()));
    QFont font = widget_->font();
    if (!m->FontName().empty()) {
      font.setFamily(ToQt(m->FontName()));
      // Fixed-pitch faces of another system ("Courier New") fall back to one of this one.
      if (m->FontName().find("Courier") != std::string::npos) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
      }
    }
    if (m->FontSize() > 0) font.setPointSize(m->FontSize());
    font.setBold(m->FontBold());
    if (font != widget_->font()) widget_->setFont(font);
    UpdateWidget(*m);
    widget_->setVisible(m->Visible() && !host_.HiddenByAssociation(m));
  }

 protected:
  virtual void UpdateWidget(Model& m) = 0;
  Model* model() const { return static_cast<Model*>(component_); }
  QPointer<WidgetType> widget_;
  // Status and tool bars are placed by their window, not by position.
  bool placed_ = true;
};

class LabelPeer : public ControlPeer<TLabel, QLabel> {
 public:
  LabelPeer(PeerHost& host, TLabel& label, QWidget* parent)
      : ControlPeer(host, label, new QLabel(parent)) {
    widget_->setTextFormat(Qt::PlainText);
  }
  void UpdateWidget(TLabel& m) override {
    widget_->setText(ToQt(m.Caption()));
    SetPaletteColor(widget_, QPalette::WindowText, m.FontColor());
    widget_->setAutoFillBackground(!m.Transparent());
    if (!m.Transparent()) SetPaletteColor(widget_, QPalette::Window, m.Color());
  }
};

class EditPeer : public ControlPeer<TEdit, QLineEdit> {
 public:
  EditPeer(PeerHost& host, TEdit& edit, QWidget* parent)
      : ControlPeer(host, edit, new QLineEdit(parent)) {
    QObject::connect(widget_, &QLineEdit::textEdited, widget_, [this](const QString& text) {
      if (TEdit* m = model()) m->SetText(FromQt(text));
    });
    Filter(widget_, [this](QObject*, QEvent* event) {
      if (event->type() == QEvent::MouseButtonDblClick) {
        if (TEdit* m = model()) m->DoubleClick();
      } else if (event->type() == QEvent::MouseButtonRelease) {
        if (TEdit* m = model(); m != nullptr && m->OnClick) m->OnClick();
      }
      return false;
    });
  }
  void UpdateWidget(TEdit& m) override {
    if (auto* mask = dynamic_cast<TMaskEdit*>(&m)) {
      const QString qt_mask = QtInputMask(mask->EditMask());
      if (widget_->inputMask() != qt_mask) widget_->setInputMask(qt_mask);
    }
    const QString text = ToQt(m.Text());
    if (widget_->text() != text) widget_->setText(text);
    widget_->setReadOnly(m.ReadOnly());
    widget_->setEchoMode(m.PasswordChar() != '\0' ? QLineEdit::Password : QLineEdit::Normal);
    widget_->setMaxLength(m.MaxLength() > 0 ? m.MaxLength() : 32767);
    SetPaletteColor(widget_, QPalette::Base, m.Color());
    SetPaletteColor(widget_, QPalette::Text, m.FontColor());
  }
};

class MemoPeer : public ControlPeer<TMemo, QPlainTextEdit> {
 public:
  MemoPeer(PeerHost& host, TMemo& memo, QWidget* parent)
      : ControlPeer(host, memo, new QPlainTextEdit(parent)) {
    QObject::connect(widget_, &QPlainTextEdit::textChanged, widget_, [this] {
      if (TMemo* m = model()) m->SetText(FromQt(widget_->toPlainText()));
    });
  }
  void UpdateWidget(TMemo& m) override {
    // The widget's text stays when it already says what the lines say (a line break just
    // typed at the end makes no line yet, and must not vanish under the cursor).
    TStrings shown;
    shown.SetText(FromQt(widget_->toPlainText()));
    if (shown.Items() != m.Lines().Items()) {
      std::string text = m.Text();
      if (!text.empty() && text.back() == '\n') text.pop_back();
      widget_->setPlainText(ToQt(text));
    }
    widget_->setReadOnly(m.ReadOnly());
    const bool horizontal =
        m.ScrollBars() == TScrollStyle::ssHorizontal || m.ScrollBars() == TScrollStyle::ssBoth;
    const bool vertical =
        m.ScrollBars() == TScrollStyle::ssVertical || m.ScrollBars() == TScrollStyle::ssBoth;
    widget_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
    widget_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    widget_->setLineWrapMode(m.WordWrap() && !horizontal ? QPlainTextEdit::WidgetWidth
                                                         : QPlainTextEdit::NoWrap);
    SetPaletteColor(widget_, QPalette::Base, m.Color());
    SetPaletteColor(widget_, QPalette::Text, m.FontColor());
  }
};

class ButtonPeer : public ControlPeer<TButton, QPushButton> {
 public:
  ButtonPeer(PeerHost& host, TButton& button, QWidget* parent)
      : ControlPeer(host, button, new QPushButton(parent)) {
    QObject::connect(widget_, &QPushButton::clicked, widget_, [this] {
      if (TButton* m = model()) m->Click();
    });
  }
  void UpdateWidget(TButton& m) override { widget_->setText(ToQt(m.Caption())); }
};

class CheckBoxPeer : public ControlPeer<TCheckBox, QCheckBox> {
 public:
  CheckBoxPeer(PeerHost& host, TCheckBox& box, QWidget* parent)
      : ControlPeer(host, box, new QCheckBox(parent)) {
    QObject::connect(widget_, &QCheckBox::clicked, widget_, [this](bool checked) {
      if (TCheckBox* m = model()) m->SetChecked(checked);
      Update();
    });
  }
  void UpdateWidget(TCheckBox& m) override {
    widget_->setText(ToQt(m.Caption()));
    widget_->setChecked(m.Checked());
    SetPaletteColor(widget_, QPalette::WindowText, m.FontColor());
  }
};

class RadioButtonPeer : public ControlPeer<TRadioButton, QRadioButton> {
 public:
  RadioButtonPeer(PeerHost& host, TRadioButton& button, QWidget* parent)
      : ControlPeer(host, button, new QRadioButton(parent)) {
    // The model keeps the buttons of a parent exclusive.
    widget_->setAutoExclusive(false);
    QObject::connect(widget_, &QRadioButton::clicked, widget_, [this] {
      if (TRadioButton* m = model()) m->Click();
      Update();
    });
  }
  void UpdateWidget(TRadioButton& m) override {
    widget_->setText(ToQt(m.Caption()));
    widget_->setChecked(m.Checked());
    SetPaletteColor(widget_, QPalette::WindowText, m.FontColor());
  }
};

class RadioGroupPeer : public ControlPeer<TRadioGroup, QGroupBox> {
 public:
  RadioGroupPeer(PeerHost& host, TRadioGroup& group, QWidget* parent)
      : ControlPeer(host, group, new QGroupBox(parent)) {
    new QGridLayout(widget_);
  }
  void UpdateWidget(TRadioGroup& m) override {
    widget_->setTitle(ToQt(m.Caption()));
    const int count = m.Items().Count();
    if (static_cast<int>(buttons_.size()) != count || columns_ != m.Columns()) Rebuild(m);
    for (int i = 0; i < count; ++i) {
      QRadioButton* button = buttons_[static_cast<size_t>(i)];
      QSignalBlocker blocker(button);
      button->setText(ToQt(m.Items()[i]));
      button->setChecked(i == m.ItemIndex());
    }
  }

 private:
  void Rebuild(TRadioGroup& m) {
    for (QRadioButton* button : buttons_) delete button;
    buttons_.clear();
    columns_ = m.Columns();
    auto* grid = static_cast<QGridLayout*>(widget_->layout());
    const int count = m.Items().Count();
    const int rows = (count + columns_ - 1) / std::max(columns_, 1);
    for (int i = 0; i < count; ++i) {
      auto* button = new QRadioButton(widget_);
      button->setAutoExclusive(false);
      // Items fill the first column top to bottom, then the next.
      grid->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
      QObject::connect(button, &QRadioButton::clicked, button, [this, i] {
        if (TRadioGroup* group = model()) group->ClickItem(i);
        Update();
      });
      buttons_.push_back(button);
    }
  }
  std::vector<QRadioButton*> buttons_;
  int columns_ = 0;
};

class ComboBoxPeer : public ControlPeer<TComboBox, QComboBox> {
 public:
  ComboBoxPeer(PeerHost& host, TComboBox& combo, QWidget* parent)
      : ControlPeer(host, combo, new QComboBox(parent)) {
    QObject::connect(widget_, &QComboBox::activated, widget_, [this](int index) {
      if (TComboBox* m = model()) m->SelectItem(index);
    });
  }
  void UpdateWidget(TComboBox& m) override {
    const bool editable = m.Style() == TComboBoxStyle::csDropDown;
    if (widget_->isEditable() != editable) {
      widget_->setEditable(editable);
      if (editable) {
        QObject::connect(widget_->lineEdit(), &QLineEdit::textEdited, widget_,
                         [this](const QString& text) {
                           if (TComboBox* c = model()) c->TypeText(FromQt(text));
                         });
      }
    }
    bool same = widget_->count() == m.Items().Count();
    for (int i = 0; same && i < m.Items().Count(); ++i) {
      same = widget_->itemText(i) == ToQt(m.Items()[i]);
    }
    if (!same) {
      widget_->clear();
      for (const std::string& item : m.Items().Items()) widget_->addItem(ToQt(item));
    }
    widget_->setCurrentIndex(m.ItemIndex());
    if (editable && widget_->currentText() != ToQt(m.Text())) {
      widget_->setEditText(ToQt(m.Text()));
    }
  }
};

class ListBoxPeer : public ControlPeer<TListBox, QListWidget> {
 public:
  ListBoxPeer(PeerHost& host, TListBox& list, QWidget* parent)
      : ControlPeer(host, list, new QListWidget(parent)) {
    QObject::connect(widget_, &QListWidget::itemClicked, widget_, [this](QListWidgetItem* item) {
      if (TListBox* m = model()) m->ClickItem(widget_->row(item));
      Update();
    });
    QObject::connect(widget_, &QListWidget::itemDoubleClicked, widget_,
                     [this](QListWidgetItem* item) {
                       if (TListBox* m = model()) m->DoubleClickItem(widget_->row(item));
                       Update();
                     });
  }
  void UpdateWidget(TListBox& m) override {
    widget_->setSelectionMode(m.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
    const int count = m.Items().Count();
    while (widget_->count() > count) delete widget_->takeItem(widget_->count() - 1);
    while (widget_->count() < count) widget_->addItem(QString());
    for (int i = 0; i < count; ++i) {
      QListWidgetItem* item = widget_->item(i);
      const QString text = ToQt(m.Items()[i]);
      if (item->text() != text) item->setText(text);
      if (item->isSelected() != m.Selected(i)) item->setSelected(m.Selected(i));
    }
    if (m.ItemIndex() >= 0) {
      widget_->setCurrentRow(m.ItemIndex(), QItemSelectionModel::NoUpdate);
      widget_->scrollToItem(widget_->item(m.ItemIndex()));
    }
    SetPaletteColor(widget_, QPalette::Base, m.Color());
    SetPaletteColor(widget_, QPalette::Text, m.FontColor());
  }
};

// Paints every cell of a list view as its custom-draw handlers say.
class CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(QObject* parent, std::function<TListView*()> list)
      : QStyledItemDelegate(parent), list_(std::move(list)) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    TListView* list = list_();
    if (list == nullptr) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    const TCellDraw cell = list->DrawCell(index.row(), index.column());
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QColor background =
        selected ? option.palette.highlight().color() : ToQColor(cell.brush_color);
    const QColor text_color =
        selected ? option.palette.highlightedText().color() : ToQColor(cell.font_color);
    painter->save();
    painter->fillRect(option.rect, background);
    if (cell.default_draw) {
      QFont font = option.font;
      font.setBold(cell.font_bold);
      painter->setFont(font);
      painter->setPen(text_color);
      const QRect text_rect = option.rect.adjusted(3, 0, -3, 0);
      const QString text =
          QFontMetrics(font).elidedText(ToQt(cell.text), Qt::ElideRight, text_rect.width());
      painter->drawText(text_rect, Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    if (list->GridLines()) {
      painter->setPen(QColor(0xC8, 0xC8, 0xC8));
      painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
      painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }
    painter->restore();
  }

 private:
  std::function<TListView*()> list_;
};

class ListViewPeer : public ControlPeer<TListView, QTreeWidget> {
  struct Row {
    std::uint64_t id;
    std::uint32_t revision;
    int columns;
  };
  std::vector<Row> rows_;

 public:
  ListViewPeer(PeerHost& host, TListView& list, QWidget* parent)
      : ControlPeer(host, list, new QTreeWidget(parent)) {
    widget_->setRootIsDecorated(false);
    widget_->setItemsExpandable(false);
    widget_->setUniformRowHeights(true);
    // The lists are driven by the mouse; without focus no focus frame covers the cell
    // colours the handlers chose.
    widget_->setFocusPolicy(Qt::NoFocus);
    widget_->setItemDelegate(new CellDelegate(widget_, [this] { return model(); }));
    widget_->header()->setStretchLastSection(false);
    QObject::connect(widget_, &QTreeWidget::itemSelectionChanged, widget_, [this] {
      TListView* m = model();
      if (m == nullptr) return;
      for (int i = 0; i < widget_->topLevelItemCount() && i < m->Items().Count(); ++i) {
        m->Items()[i]->SetSelected(widget_->topLevelItem(i)->isSelected());
      }
    });
    Filter(widget_->viewport(), [this](QObject*, QEvent* event) {
      const bool click = event->type() == QEvent::MouseButtonRelease;
      const bool dbl = event->type() == QEvent::MouseButtonDblClick;
      if (!click && !dbl) return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      TListView* m = model();
      if (m == nullptr) return false;
      const QModelIndex index = widget_->indexAt(mouse->position().toPoint());
      const int row = index.isValid() ? index.row() : -1;
      if (click) m->ClickItem(row);
      if (dbl) m->DoubleClickItem(row);
      Update();
      return false;
    });
  }
  void UpdateWidget(TListView& m) override {
    const int columns = m.Columns().Count();
    const bool report = m.ViewStyle() == TViewStyle::vsReport;
    widget_->setColumnCount(std::max(columns, 1));
    widget_->setHeaderHidden(!report || columns == 0);
    QStringList captions;
    for (int c = 0; c < columns; ++c) captions << ToQt(m.Columns()[c]->Caption());
    if (columns > 0) widget_->setHeaderLabels(captions);
    for (int c = 0; c < columns; ++c) {
      if (widget_->columnWidth(c) != m.Columns()[c]->Width()) {
        widget_->setColumnWidth(c, m.Columns()[c]->Width());
      }
    }
    widget_->setSelectionMode(m.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
    widget_->setSelectionBehavior(m.RowSelect() ? QAbstractItemView::SelectRows
                                                : QAbstractItemView::SelectItems);
    widget_->setAllColumnsShowFocus(m.RowSelect());

    // Rows follow their items across inserts and deletes; only changed rows are rewritten.
    const int rows = m.Items().Count();
    std::unordered_set<std::uint64_t> alive;
    for (int r = 0; r < rows; ++r) alive.insert(m.Items()[r]->Id());
    for (int i = static_cast<int>(rows_.size()) - 1; i >= 0; --i) {
      if (alive.count(rows_[static_cast<size_t>(i)].id) != 0) continue;
      delete widget_->takeTopLevelItem(i);
      rows_.erase(rows_.begin() + i);
    }
    const int shown_columns = std::max(columns, 1);
    for (int r = 0; r < rows; ++r) {
      const TListItem* model_item = m.Items()[r];
      if (r >= static_cast<int>(rows_.size()) ||
          rows_[static_cast<size_t>(r)].id != model_item->Id()) {
        widget_->insertTopLevelItem(r, new QTreeWidgetItem());
        rows_.insert(rows_.begin() + r, Row{model_item->Id(), 0, -1});
      }
      Row& row = rows_[static_cast<size_t>(r)];
      QTreeWidgetItem* item = widget_->topLevelItem(r);
      if (row.revision != model_item->Revision() || row.columns != shown_columns) {
        row.revision = model_item->Revision();
        row.columns = shown_columns;
        for (int c = 0; c < shown_columns; ++c) {
          const QString text = ToQt(model_item->ColumnText(c));
          if (item->text(c) != text) item->setText(c, text);
        }
      }
      if (item->isSelected() != model_item->Selected()) item->setSelected(model_item->Selected());
    }
    SetPaletteColor(widget_, QPalette::Base, m.Color());
    SetPaletteColor(widget_, QPalette::Text, m.FontColor());
    widget_->viewport()->update();
  }
};

// The spin box of an up-down control and its associated edit.
class UpDownSpin : public QSpinBox {
 public:
  UpDownSpin(QWidget* parent, std::function<TUpDown*()> model)
      : QSpinBox(parent), model_(std::move(model)) {}
  QLineEdit* Line() const { return lineEdit(); }
  void stepBy(int steps) override {
    TUpDown* m = model_();
    if (m == nullptr) return;
    for (; steps > 0; --steps) m->StepUp();
    for (; steps < 0; ++steps) m->StepDown();
  }

 private:
  std::function<TUpDown*()> model_;
};

class UpDownPeer : public ControlPeer<TUpDown, UpDownSpin> {
 public:
  UpDownPeer(PeerHost& host, TUpDown& updown, QWidget* parent)
      : ControlPeer(host, updown, new UpDownSpin(parent, [this] { return model(); })) {
    QObject::connect(widget_, &QSpinBox::editingFinished, widget_, [this] {
      if (TUpDown* m = model()) m->SetPosition(widget_->value());
    });
  }
  void UpdateWidget(TUpDown& m) override {
    widget_->setRange(m.Min(), std::max(m.Min(), m.Max()));
    widget_->setSingleStep(std::max(m.Increment(), 1));
    widget_->setWrapping(m.Wrap());
    widget_->setValue(m.Position());
    if (TEdit* edit = m.Associate()) {
      // The spin box takes the place of the edit and the arrows beside it.
      host_.SetAssociated(edit);
      if (QWidget* edit_widget = host_.WidgetOf(edit)) edit_widget->setVisible(false);
      const int left = std::min(edit->Left(), m.Left());
      const int right = std::max(edit->Left() + edit->Width(), m.Left() + m.Width());
      widget_->setGeometry(left, edit->Top(), right - left, edit->Height());
      widget_->Line()->setReadOnly(edit->ReadOnly());
      SetPaletteColor(widget_, QPalette::Base, edit->Color());
      SetPaletteColor(widget_, QPalette::Text, edit->FontColor());
    }
  }
};

class PanelPeer : public ControlPeer<TPanel, QGroupBox> {
 public:
  PanelPeer(PeerHost& host, TPanel& panel, QWidget* parent)
      : ControlPeer(host, panel, new QGroupBox(parent)) {}
  void UpdateWidget(TPanel& m) override {
    widget_->setTitle(ToQt(m.Caption()));
    widget_->setAutoFillBackground(true);
    SetPaletteColor(widget_, QPalette::Window, m.Color());
  }
};

class StatusBarPeer : public ControlPeer<TStatusBar, QStatusBar> {
 public:
  StatusBarPeer(PeerHost& host, TStatusBar& bar, QMainWindow* window)
      : ControlPeer(host, bar, new QStatusBar(window)) {
    window->setStatusBar(widget_);
    widget_->setSizeGripEnabled(false);
    // Panels sit at fixed places from the left and are cut off at the window's edge, so
    // their widths never force the window wider than its form.
    panels_ = new QWidget(widget_);
    panels_->setMinimumSize(0, 18);
    panels_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    widget_->addWidget(panels_, 1);
    placed_ = false;
  }
  void UpdateWidget(TStatusBar& m) override {
    while (static_cast<int>(labels_.size()) < m.PanelCount()) {
      auto* label = new QLabel(panels_);
      label->setTextFormat(Qt::PlainText);
      label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      labels_.push_back(label);
    }
    int left = 0;
    for (int i = 0; i < static_cast<int>(labels_.size()); ++i) {
      QLabel* label = labels_[static_cast<size_t>(i)];
      label->setVisible(!m.SimplePanel() && i < m.PanelCount());
      if (i >= m.PanelCount()) continue;
      label->setGeometry(left, 0, m.Panel(i).width, 18);
      label->setText(ToQt(m.Panel(i).text));
      left += m.Panel(i).width + 2;
    }
    panels_->setVisible(!m.SimplePanel());
    if (m.SimplePanel()) {
      widget_->showMessage(ToQt(m.SimpleText()));
    } else {
      widget_->clearMessage();
    }
  }

 private:
  QPointer<QWidget> panels_;
  std::vector<QLabel*> labels_;
};

class ToolButtonPeer : public Peer {
 public:
  ToolButtonPeer(PeerHost& host, TToolButton& button, QToolBar* bar)
      : Peer(host, button), bar_(bar) {
    if (button.Separator()) {
      action_ = bar->addSeparator();
    } else {
      action_ = bar->addAction(QString());
      QObject::connect(action_, &QAction::triggered, action_, [this] {
        if (auto* b = static_cast<TToolButton*>(component_)) b->Click();
      });
    }
  }
  QWidget* Widget() const override { return bar_; }
  void Update() override {
    auto* b = static_cast<TToolButton*>(component_);
    if (b == nullptr || action_ == nullptr) return;
    action_->setText(ToQt(b->Caption()));
    action_->setToolTip(ToQt(b->Hint().empty() ? b->Caption() : b->Hint()));
    action_->setStatusTip(ToQt(b->Hint()));
    action_->setEnabled(b->Enabled());
    action_->setVisible(b->Visible());
  }

 private:
  QPointer<QToolBar> bar_;
  QPointer<QAction> action_;
};

class ToolBarPeer : public ControlPeer<TToolBar, QToolBar> {
 public:
  ToolBarPeer(PeerHost& host, TToolBar& bar, QMainWindow* window)
      : ControlPeer(host, bar, new QToolBar(window)) {
    window->addToolBar(widget_);
    widget_->setMovable(false);
    placed_ = false;
  }
  QToolBar* Bar() const { return widget_; }
  void UpdateWidget(TToolBar& m) override {
    widget_->setToolButtonStyle(m.ShowCaptions() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
  }
};

class MenuItemPeer : public Peer {
 public:
  MenuItemPeer(PeerHost& host, TMenuItem& item, QAction* action)
      : Peer(host, item), action_(action) {
    QObject::connect(action_, &QAction::triggered, action_, [this] {
      if (auto* i = static_cast<TMenuItem*>(component_)) i->Click();
    });
  }
  QWidget* Widget() const override { return nullptr; }
  void Update() override {
    auto* item = static_cast<TMenuItem*>(component_);
    if (item == nullptr || action_ == nullptr) return;
    action_->setSeparator(item->IsSeparator());
    action_->setText(ToQt(item->Caption()));
    action_->setCheckable(item->Checked());
    action_->setChecked(item->Checked());
    action_->setEnabled(item->Enabled());
    action_->setVisible(item->Visible());
  }

 private:
  QPointer<QAction> action_;
};

// ---- forms ----

class FormWindow : public QMainWindow {
 public:
  explicit FormWindow(std::function<TForm*()> model) : model_(std::move(model)) {}
  bool updating = false;
  QMdiSubWindow* sub_window = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The model decides: it asks OnCloseQuery and hides the form (or not). Once the program
    // is ending, windows just close.
    if (Application().Terminated()) {
      event->accept();
      return;
    }
    event->ignore();
    if (TForm* form = model_()) form->Close();
  }
  void resizeEvent(QResizeEvent* event) override {
    QMainWindow::resizeEvent(event);
    if (updating || sub_window != nullptr) return;
    if (TForm* form = model_()) form->Resize(width(), height());
  }
  void moveEvent(QMoveEvent* event) override {
    QMainWindow::moveEvent(event);
    if (updating || sub_window != nullptr) return;
    if (TForm* form = model_()) form->Move(x(), y());
  }
  void changeEvent(QEvent* event) override {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !updating) {
      if (TForm* form = model_()) form->Activate();
    }
  }

 private:
  std::function<TForm*()> model_;
};

class FormPeer : public Peer {
 public:
  FormPeer(PeerHost& host, TForm& form) : Peer(host, form) {
    window_ = new FormWindow([this] { return static_cast<TForm*>(component_); });
    window_->setAttribute(Qt::WA_QuitOnClose, false);
    if (form.FormStyle() == TFormStyle::fsMDIForm) {
      mdi_area_ = new QMdiArea(window_);
      window_->setCentralWidget(mdi_area_);
      WatchMouse(mdi_area_->viewport());
    } else {
      client_ = new QWidget(window_);
      window_->setCentralWidget(client_);
      WatchMouse(client_);
    }
    if (TForm* parent = form.MdiParent()) {
      auto* parent_peer = dynamic_cast<FormPeer*>(host.PeerOf(parent));
      if (parent_peer != nullptr && parent_peer->mdi_area_ != nullptr) {
        sub_window_ = parent_peer->mdi_area_->addSubWindow(window_);
        window_->sub_window = sub_window_;
        Filter(sub_window_, [this](QObject*, QEvent* event) {
          if (event->type() != QEvent::Move && event->type() != QEvent::Resize) return false;
          auto* f = static_cast<TForm*>(component_);
          if (f == nullptr || window_->updating || sub_window_ == nullptr) return false;
          // The user drags a sub-window with the mouse; any other change (the area placing
          // or shrinking it) is undone, so the form's own bounds stand.
          if (QGuiApplication::mouseButtons() != Qt::NoButton) {
            f->Move(sub_window_->x(), sub_window_->y());
            f->Resize(sub_window_->width(), sub_window_->height());
          } else if (sub_window_->geometry() !=
                     QRect(f->Left(), f->Top(), f->Width(), f->Height())) {
            host_.MarkDirty(this);
          }
          return false;
        });
      }
    }
  }
  ~FormPeer() override {
    if (sub_window_ == nullptr) delete window_.data();
  }
  QWidget* Widget() const override { return window_; }
  QMainWindow* Window() const { return window_; }
  QWidget* Client() const { return client_ != nullptr ? client_.data() : mdi_area_.data(); }

  void Update() override {
    auto* form = static_cast<TForm*>(component_);
    if (form == nullptr || window_ == nullptr) return;
    window_->updating = true;
    window_->setWindowTitle(ToQt(form->Caption()));
    QWidget* frame = sub_window_ != nullptr ? static_cast<QWidget*>(sub_window_) : window_.data();
    Qt::WindowFlags flags = frame->windowFlags();
    flags.setFlag(Qt::FramelessWindowHint, !form->HasCaptionBar());
    flags.setFlag(Qt::WindowStaysOnTopHint, form->FormStyle() == TFormStyle::fsStayOnTop);
    if (sub_window_ == nullptr) {
      flags.setFlag(Qt::CustomizeWindowHint, true);
      flags.setFlag(Qt::WindowTitleHint, form->HasCaptionBar());
      flags.setFlag(Qt::WindowSystemMenuHint, (form->BorderIcons() & biSystemMenu) != 0);
      flags.setFlag(Qt::WindowCloseButtonHint, (form->BorderIcons() & biSystemMenu) != 0);
      flags.setFlag(Qt::WindowMinimizeButtonHint, (form->BorderIcons() & biMinimize) != 0);
      flags.setFlag(Qt::WindowMaximizeButtonHint, (form->BorderIcons() & biMaximize) != 0);
    }
    if (flags != frame->windowFlags()) frame->setWindowFlags(flags);
    if (form->Position() == TPosition::poScreenCenter && !centred_ && sub_window_ == nullptr) {
      centred_ = true;
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        form->SetBounds(area.x() + (area.width() - form->Width()) / 2,
                        area.y() + (area.height() - form->Height()) / 2, form->Width(),
                        form->Height());
      }
    }
    if (sub_window_ != nullptr) {
      sub_window_->setGeometry(form->Left(), form->Top(), form->Width(), form->Height());
      sub_window_->setWindowTitle(ToQt(form->Caption()));
    } else {
      window_->move(form->Left(), form->Top());
      window_->resize(form->Width(), form->Height());
    }
    if (form->BorderStyle() == TBorderStyle::bsDialog && sub_window_ == nullptr) {
      window_->setFixedSize(form->Width(), form->Height());
    }
    if (QWidget* client = Client()) {
      client->setAutoFillBackground(true);
      SetPaletteColor(client, QPalette::Window, form->Color());
    }
    BuildMenu(*form);
    const bool modal = form->Modal();
    if (sub_window_ == nullptr && window_->isModal() != modal && !window_->isVisible()) {
      window_->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    }
    frame->setVisible(form->Visible());
    if (form->Visible() && sub_window_ == nullptr && modal) window_->raise();
    window_->updating = false;
  }

 private:
  void WatchMouse(QWidget* surface) {
    Filter(surface, [this](QObject*, QEvent* event) {
      if (event->type() != QEvent::MouseButtonRelease) return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (auto* form = static_cast<TForm*>(component_)) {
        const QPoint at = mouse->position().toPoint();
        form->MouseUp(ButtonOf(mouse->button()), ShiftState(mouse->modifiers(), mouse->buttons()),
                      at.x(), at.y());
      }
      return false;
    });
  }

  void BuildMenu(TForm& form) {
    if (form.Menu() == menu_built_for_) return;
    menu_built_for_ = form.Menu();
    QMenuBar* bar = window_->menuBar();
    bar->clear();
    if (form.Menu() == nullptr) return;
    for (TMenuItem* item : form.Menu()->Items()) {
      if (item->Items().empty()) {
        AddItem(*item, bar->addAction(ToQt(item->Caption())));
      } else {
        QMenu* menu = bar->addMenu(ToQt(item->Caption()));
        AddChildren(*item, menu);
      }
    }
  }
  void AddChildren(TMenuItem& parent, QMenu* menu) {
    for (TMenuItem* child : parent.Items()) {
      if (child->Items().empty()) {
        AddItem(*child, menu->addAction(ToQt(child->Caption())));
      } else {
        AddChildren(*child, menu->addMenu(ToQt(child->Caption())));
      }
    }
  }
  void AddItem(TMenuItem& item, QAction* action);

  QPointer<FormWindow> window_;
  QPointer<QWidget> client_;
  QPointer<QMdiArea> mdi_area_;
  QPointer<QMdiSubWindow> sub_window_;
  TMainMenu* menu_built_for_ = nullptr;
  bool centred_ = false;

  friend class PopupMenuPeer;
};

class PopupMenuPeer : public Peer {
 public:
  PopupMenuPeer(PeerHost& host, TPopupMenu& popup, QWidget* window)
      : Peer(host, popup), menu_(new QMenu(window)) {
    Build(popup.Items(), menu_);
    popup.OnPopupRequest = [this](TPopupMenu&, int x, int y) {
      if (menu_ != nullptr) menu_->popup(QPoint(x, y));
    };
  }
  ~PopupMenuPeer() override {
    if (auto* popup = static_cast<TPopupMenu*>(component_)) popup->OnPopupRequest = nullptr;
  }
  QWidget* Widget() const override { return menu_; }
  void Update() override {}

 private:
  void Build(const std::vector<TMenuItem*>& items, QMenu* menu);
  QPointer<QMenu> menu_;
};

}  // namespace

// ---- the host ----

Peer::~Peer() {
  if (component_ != nullptr) component_->SetPeer(nullptr);
}

void Peer::Sync() {
  if (component_ != nullptr) host_.MarkDirty(this);
}

void Peer::ComponentDestroyed() {
  host_.Forget(this);
  component_ = nullptr;
}

Peer* PeerHost::Add(std::unique_ptr<Peer> peer) {
  Peer* raw = peer.get();
  raw->Component()->SetPeer(raw);
  by_component_[raw->Component()] = raw;
  peers_.push_back(std::move(peer));
  MarkDirty(raw);
  return raw;
}

Peer* PeerHost::PeerOf(const TComponent* component) const {
  auto it = by_component_.find(component);
  return it != by_component_.end() ? it->second : nullptr;
}

QWidget* PeerHost::WidgetOf(const TComponent* component) const {
  Peer* peer = PeerOf(component);
  return peer != nullptr ? peer->Widget() : nullptr;
}

QWidget* PeerHost::ContainerOf(const TWinControl* parent) const {
  Peer* peer = PeerOf(parent);
  if (peer == nullptr) return nullptr;
  if (auto* form = dynamic_cast<FormPeer*>(peer)) return form->Client();
  return peer->Widget();
}

void PeerHost::MarkDirty(Peer* peer) {
  if (std::find(dirty_.begin(), dirty_.end(), peer) == dirty_.end()) dirty_.push_back(peer);
}

void PeerHost::Forget(Peer* peer) {
  dirty_.erase(std::remove(dirty_.begin(), dirty_.end(), peer), dirty_.end());
  by_component_.erase(peer->Component());
  if (QWidget* widget = peer->Widget(); widget != nullptr && !dynamic_cast<FormPeer*>(peer)) {
    if (dynamic_cast<ToolButtonPeer*>(peer) == nullptr) widget->deleteLater();
  }
}

void PeerHost::Flush() {
  if (flushing_) return;
  flushing_ = true;
  // An update may mark further peers dirty (an up-down writes its edit): run until quiet.
  for (int pass = 0; pass < 8 && !dirty_.empty(); ++pass) {
    std::vector<Peer*> pending;
    pending.swap(dirty_);
    for (Peer* peer : pending) peer->Update();
  }
  flushing_ = false;
}

void PeerHost::MapForm(TForm& form) {
  if (PeerOf(&form) == nullptr) {
    if (TForm* parent = form.MdiParent()) MapForm(*parent);
    Add(std::make_unique<FormPeer>(*this, form));
  }
  // Controls and menus made after the form was first mapped get their widgets too.
  for (TControl* control : form.Controls()) MapControl(*control);
  MapMenus(form);
}

void PeerHost::MapControl(TControl& control) {
  if (PeerOf(&control) != nullptr) {
    if (auto* container = dynamic_cast<TWinControl*>(&control)) {
      for (TControl* child : container->Controls()) MapControl(*child);
    }
    return;
  }
  QWidget* parent = ContainerOf(control.Parent());
  if (parent == nullptr) return;
  auto* form_peer = dynamic_cast<FormPeer*>(PeerOf(control.Parent()));
  std::unique_ptr<Peer> peer;
  if (auto* list = dynamic_cast<TListView*>(&control)) {
    peer = std::make_unique<ListViewPeer>(*this, *list, parent);
  } else if (auto* mask = dynamic_cast<TMaskEdit*>(&control)) {
    peer = std::make_unique<EditPeer>(*this, *mask, parent);
  } else if (auto* edit = dynamic_cast<TEdit*>(&control)) {
    peer = std::make_unique<EditPeer>(*this, *edit, parent);
  } else if (auto* memo = dynamic_cast<TMemo*>(&control)) {
    peer = std::make_unique<MemoPeer>(*this, *memo, parent);
  } else if (auto* label = dynamic_cast<TLabel*>(&control)) {
    peer = std::make_unique<LabelPeer>(*this, *label, parent);
  } else if (auto* button = dynamic_cast<TButton*>(&control)) {
    peer = std::make_unique<ButtonPeer>(*this, *button, parent);
  } else if (auto* check = dynamic_cast<TCheckBox*>(&control)) {
    peer = std::make_unique<CheckBoxPeer>(*this, *check, parent);
  } else if (auto* radio = dynamic_cast<TRadioButton*>(&control)) {
    peer = std::make_unique<RadioButtonPeer>(*this, *radio, parent);
  } else if (auto* group = dynamic_cast<TRadioGroup*>(&control)) {
    peer = std::make_unique<RadioGroupPeer>(*this, *group, parent);
  } else if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
    peer = std::make_unique<ComboBoxPeer>(*this, *combo, parent);
  } else if (auto* box = dynamic_cast<TListBox*>(&control)) {
    peer = std::make_unique<ListBoxPeer>(*this, *box, parent);
  } else if (auto* updown = dynamic_cast<TUpDown*>(&control)) {
    peer = std::make_unique<UpDownPeer>(*this, *updown, parent);
  } else if (auto* status = dynamic_cast<TStatusBar*>(&control)) {
    if (form_peer == nullptr) return;
    peer = std::make_unique<StatusBarPeer>(*this, *status, form_peer->Window());
  } else if (auto* tools = dynamic_cast<TToolBar*>(&control)) {
    if (form_peer == nullptr) return;
    auto* bar_peer = static_cast<ToolBarPeer*>(
        Add(std::make_unique<ToolBarPeer>(*this, *tools, form_peer->Window())));
    for (TToolButton* button : tools->Buttons()) {
      Add(std::make_unique<ToolButtonPeer>(*this, *button, bar_peer->Bar()));
    }
    return;
  } else if (auto* panel = dynamic_cast<TPanel*>(&control)) {
    peer = std::make_unique<PanelPeer>(*this, *panel, parent);
  } else {
    return;  // a kind without a widget (tool buttons are mapped with their bar)
  }
  Add(std::move(peer));
  if (auto* container = dynamic_cast<TWinControl*>(&control)) {
    for (TControl* child : container->Controls()) MapControl(*child);
  }
}

void PeerHost::MapMenus(TComponent& owner) {
  for (TComponent* component : owner.Components()) {
    if (auto* popup = dynamic_cast<TPopupMenu*>(component)) {
      if (PeerOf(popup) == nullptr) {
        QWidget* window = WidgetOf(&owner);
        Add(std::make_unique<PopupMenuPeer>(*this, *popup, window));
      }
    }
  }
}

void PeerHost::DestroyAll() {
  dirty_.clear();
  // Children first, forms (which own the top-level windows) last.
  for (auto it = peers_.rbegin(); it != peers_.rend(); ++it) {
    if (dynamic_cast<FormPeer*>(it->get()) == nullptr) it->reset();
  }
  for (auto it = peers_.rbegin(); it != peers_.rend(); ++it) it->reset();
  peers_.clear();
  by_component_.clear();
  associated_.clear();
}

namespace {
void FormPeer::AddItem(TMenuItem& item, QAction* action) {
  if (host_.PeerOf(&item) == nullptr)
    host_.Add(std::make_unique<MenuItemPeer>(host_, item, action));
}

void PopupMenuPeer::Build(const std::vector<TMenuItem*>& items, QMenu* menu) {
  for (TMenuItem* item : items) {
    if (item->Items().empty()) {
      if (host_.PeerOf(item) == nullptr) {
        host_.Add(
            std::make_unique<MenuItemPeer>(host_, *item, menu->addAction(ToQt(item->Caption()))));
      }
    } else {
      Build(item->Items(), menu->addMenu(ToQt(item->Caption())));
    }
  }
}
}  // namespace

}  // namespace qtpeers
