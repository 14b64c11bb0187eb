#include "crystal_system_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "reflections/catalogue.h"

namespace quorlin {

namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Indexed(std::string_view array, int i) { return QString("%1(%2)").arg(Text(array)).arg(i); }

// Sets the checked button of an exclusive group; -1 clears them all, which
// an exclusive group refuses unless exclusivity is lifted for a moment.
void Select(QButtonGroup* group, int id) {
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == id);
  group->setExclusive(true);
}

constexpr int kRowsPerColumn = 12;

}  // namespace

CrystalSystemToolWindow::CrystalSystemToolWindow(MainModel& model, std::int16_t system, QWidget* parent)
    : ToolWindow(model, Text(CrystalSystemWindow(system).objectName), Text(CrystalSystemWindow(system).caption),
                 parent),
      logic_(model, system) {
  const CrystalSystemWindowLayout& table = logic_.Layout();
  auto* side = new QVBoxLayout;
  if (system == Tetragonal) side->addWidget(BuildLaueClass());
  if (system == Orthorhombic) side->addWidget(BuildOrientation());

  auto* cmdNoExtinction = new QPushButton(Text(table.noSymbolCaption), this);
  cmdNoExtinction->setObjectName("cmdNoExtinction");
  side->addWidget(cmdNoExtinction);
  auto* label = new QLabel(Text(table.listLabel), this);
  side->addWidget(label);
  Text1 = new QLineEdit(this);
  Text1->setObjectName("Text1");
  Text1->setReadOnly(true);
  Text1->setMinimumWidth(220);
  label->setBuddy(Text1);
  side->addWidget(Text1);
  side->addStretch(1);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName(Text(table.okName));
  side->addWidget(ok);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(BuildSymbols());
  layout->addLayout(side);

  connect(cmdNoExtinction, &QPushButton::clicked, this, [this] { logic_.NoExtinctionSymbol(); });
  connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

QWidget* CrystalSystemToolWindow::BuildSymbols() {
  const CrystalSystemWindowLayout& table = logic_.Layout();
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  symbols_ = new QButtonGroup(this);
  for (const SymbolFrame& f : table.frames) {
    auto* frame = new QGroupBox(Text(f.caption), box);
    auto* grid = new QGridLayout(frame);
    for (int i = f.first; i <= f.last; ++i) {
      auto* option = new QRadioButton(Text(table.symbols[static_cast<std::size_t>(i)]), frame);
      option->setObjectName(Indexed(table.symbolArray, i));
      symbols_->addButton(option, i);
      int n = i - f.first;
      grid->addWidget(option, n % kRowsPerColumn, n / kRowsPerColumn);
    }
    column->addWidget(frame);
  }
  column->addStretch(1);
  connect(symbols_, &QButtonGroup::idClicked, this, [this](int id) { logic_.ChooseSymbol(id); });
  return box;
}

QWidget* CrystalSystemToolWindow::BuildLaueClass() {
  auto* frame = new QGroupBox("Laue Class", this);
  auto* v = new QVBoxLayout(frame);
  laue_ = new QButtonGroup(this);
  const char* captions[] = {"4/m", "4/mmm"};
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(captions[i], frame);
    option->setObjectName(Indexed("optLaueClass", i));
    laue_->addButton(option, i);
    v->addWidget(option);
  }
  chkLaueLock = new QCheckBox("Lock", frame);
  chkLaueLock->setObjectName("chkLaueLock");
  v->addWidget(chkLaueLock);
  connect(laue_, &QButtonGroup::idClicked, this, [this](int id) { logic_.ChooseLaueClass(id); });
  connect(chkLaueLock, &QCheckBox::toggled, this, [this](bool on) {
    logic_.SetLock(on);
    RefreshNow();
  });
  return frame;
}

QWidget* CrystalSystemToolWindow::BuildOrientation() {
  auto* box = new QWidget(this);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  auto* frame = new QGroupBox("Orientation", box);
  auto* grid = new QGridLayout(frame);
  orientation_ = new QButtonGroup(this);
  auto captions = OrientationCaptions();
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    auto* option = new QRadioButton(Text(captions[static_cast<std::size_t>(i)]), frame);
    option->setObjectName(Indexed("optOrientation", i));
    orientation_->addButton(option, i);
    grid->addWidget(option, i % 3, i / 3);
  }
  v->addWidget(frame);
  cmdStepThrough = new QPushButton("Step Through ->", box);
  cmdStepThrough->setObjectName("cmdStepThrough");
  v->addWidget(cmdStepThrough);
  connect(orientation_, &QButtonGroup::idClicked, this, [this](int id) {
    logic_.ChooseOrientation(id);
    RefreshNow();  // a refused orientation puts the option back
  });
  connect(cmdStepThrough, &QPushButton::clicked, this, [this] { logic_.StepThrough(); });
  return box;
}

bool CrystalSystemToolWindow::event(QEvent* e) {
  // The orientations permute the edges the cell had when the window was
  // last brought to the front.
  if (e->type() == QEvent::WindowActivate && logic_.System() == Orthorhombic) {
    logic_.Activate();
    RefreshNow();
  }
  return ToolWindow::event(e);
}

void CrystalSystemToolWindow::Refresh() {
  const int symbol = logic_.SelectedSymbol();
  Select(symbols_, symbol);
  for (QAbstractButton* b : symbols_->buttons()) b->setEnabled(logic_.SymbolEnabled(symbols_->id(b)));
  // A long list shows its start; the whole list is in the tooltip.
  const QString groups = QString::fromStdString(logic_.SpaceGroupText());
  if (Text1->text() != groups) {
    Text1->setText(groups);
    Text1->setCursorPosition(0);
  }
  Text1->setToolTip(groups);

  if (laue_) {
    Select(laue_, logic_.SelectedLaueOption());
    for (QAbstractButton* b : laue_->buttons()) b->setEnabled(logic_.LaueOptionsEnabled());
    chkLaueLock->setEnabled(logic_.LockEnabled());
    chkLaueLock->setChecked(logic_.Lock());
  }
  if (orientation_) {
    const auto allowed = logic_.OrientationsAllowed();
    Select(orientation_, symbol >= 0 ? logic_.Orientation() : -1);
    for (QAbstractButton* b : orientation_->buttons())
      b->setEnabled(allowed[static_cast<std::size_t>(orientation_->id(b))]);
    cmdStepThrough->setEnabled(logic_.StepEnabled());
  }
}

}  // namespace quorlin
