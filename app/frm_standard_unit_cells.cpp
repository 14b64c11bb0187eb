#include "frm_standard_unit_cells.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quorlin {

frmStandardUnitCells::frmStandardUnitCells(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmStandardUnitCells", "Unit Cell Database", parent), logic_(model) {
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QMenuBar(this);
  QMenu* file = bar->addMenu("File");
  file->setObjectName("mnuFile");
  mnuOpen = file->addAction("Open");
  mnuOpen->setObjectName("mnuOpen");
  mnuSaveAs = file->addAction("Save to File");
  mnuSaveAs->setObjectName("mnuSaveAs");
  mnuExit = file->addAction("Exit");
  mnuExit->setObjectName("mnuExit");
  layout->setMenuBar(bar);

  auto* lists = new QGroupBox("Cell Lists", this);
  auto* grid = new QGridLayout(lists);
  for (int g = 0; g < UnitCellLibrary::kGroups; ++g) {
    auto* name = new QLineEdit(lists);
    name->setObjectName(QString("txtGroupNames(%1)").arg(g));
    auto* cells = new QComboBox(lists);
    cells->setObjectName(QString("cmbPhaseNames(%1)").arg(g));
    cells->setMinimumContentsLength(14);
    for (int c = 0; c < UnitCellLibrary::kSlots; ++c) cells->addItem(QString());
    grid->addWidget(name, (g / 2) * 2, g % 2);
    grid->addWidget(cells, (g / 2) * 2 + 1, g % 2);
    txtGroupNames[static_cast<std::size_t>(g)] = name;
    cmbPhaseNames[static_cast<std::size_t>(g)] = cells;
    connect(name, &QLineEdit::textEdited, this,
            [this, g](const QString& text) { logic_.GroupNameChanged(g, text.toStdString()); });
    connect(cells, &QComboBox::activated, this, [this, g](int index) {
      logic_.ChooseEntry(g, index);
      RefreshNow();
    });
  }
  cmdRemove = new QPushButton("Remove from list", lists);
  cmdRemove->setObjectName("cmdRemove");
  grid->addWidget(cmdRemove, 8, 0, 1, 2);
  layout->addWidget(lists);

  auto* add = new QGroupBox("Add Cell", this);
  // The button on a row of its own: beside the name box its long caption
  // was cut off at the window's width.
  auto* addLayout = new QVBoxLayout(add);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel("Name:", add));
  Text1 = new QLineEdit(add);
  Text1->setObjectName("Text1");
  nameRow->addWidget(Text1);
  addLayout->addLayout(nameRow);
  cmdAddCell = new QPushButton("Add the current unit cell in the selected slot", add);
  cmdAddCell->setObjectName("cmdAddCell");
  cmdAddCell->setMinimumWidth(cmdAddCell->sizeHint().width());
  addLayout->addWidget(cmdAddCell);
  layout->addWidget(add);

  auto* pattern = new QGroupBox("X-ray pattern", this);
  auto* patternLayout = new QHBoxLayout(pattern);
  cmdRevert = new QPushButton("Revert to original cell", pattern);
  cmdRevert->setObjectName("cmdRevert");
  patternLayout->addWidget(cmdRevert);
  layout->addWidget(pattern);

  auto* buttons = new QHBoxLayout;
  cmdSave = new QPushButton("Save to File", this);
  cmdSave->setObjectName("cmdSave");
  cmdExit = new QPushButton("Exit", this);
  cmdExit->setObjectName("cmdExit");
  cmdSave->setAutoDefault(false);
  cmdExit->setAutoDefault(false);
  buttons->addWidget(cmdSave);
  buttons->addWidget(cmdExit);
  layout->addLayout(buttons);
  auto* note = new QLabel(
      "Instructions: Save the current unit cell to a small database file, or change to another unit cell. "
      "The file extension is \".ucl\"",
      this);
  note->setWordWrap(true);
  layout->addWidget(note);

  for (QPushButton* b : {cmdRemove, cmdAddCell, cmdRevert}) b->setAutoDefault(false);
  connect(Text1, &QLineEdit::textEdited, this, [this](const QString& text) {
    logic_.NameChanged(text.toStdString());
    RefreshNow();
  });
  connect(cmdAddCell, &QPushButton::clicked, this, [this] {
    logic_.Add();
    RefreshNow();
  });
  connect(cmdRemove, &QPushButton::clicked, this, [this] {
    logic_.Remove();
    RefreshNow();
  });
  connect(cmdRevert, &QPushButton::clicked, this, [this] {
    logic_.Revert();
    RefreshNow();
  });
  auto open = [this] {
    logic_.OpenFile();
    RefreshNow();
  };
  auto save = [this] {
    logic_.SaveAs();
    RefreshNow();
  };
  connect(mnuOpen, &QAction::triggered, this, open);
  connect(mnuSaveAs, &QAction::triggered, this, save);
  connect(cmdSave, &QPushButton::clicked, this, save);
  connect(cmdExit, &QPushButton::clicked, this, &frmStandardUnitCells::reject);
  connect(mnuExit, &QAction::triggered, this, &frmStandardUnitCells::reject);
}

void frmStandardUnitCells::reject() {
  logic_.Close();
  ToolWindow::reject();
}

// Every opening re-reads the library from the file; a window brought back
// from the task bar is not an opening.
void frmStandardUnitCells::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) logic_.Open();
  ToolWindow::showEvent(event);
}

void frmStandardUnitCells::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    logic_.Activated();
    RefreshNow();
  }
  ToolWindow::changeEvent(event);
}

void frmStandardUnitCells::Refresh() {
  const UnitCellLibrary& lib = logic_.Library();
  for (int g = 0; g < UnitCellLibrary::kGroups; ++g) {
    SetTextUnlessEditing(txtGroupNames[static_cast<std::size_t>(g)], QString::fromStdString(lib.GroupName(g)));
    QComboBox* cells = cmbPhaseNames[static_cast<std::size_t>(g)];
    for (int c = 0; c < UnitCellLibrary::kSlots; ++c)
      cells->setItemText(c, QString::fromStdString(logic_.EntryText(g, c)));
  }
  SetTextUnlessEditing(Text1, QString::fromStdString(logic_.NameText()));
  cmdAddCell->setEnabled(logic_.AddEnabled());
  cmdRemove->setEnabled(logic_.RemoveEnabled());
  cmdRevert->setEnabled(logic_.RevertEnabled());
}

}  // namespace quorlin
