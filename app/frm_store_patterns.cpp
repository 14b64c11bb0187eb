#include "frm_store_patterns.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorlin {
namespace {

// Colours are kept with red in the lowest byte.
QString CssColour(std::int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF).name(); }

}  // namespace

frmStorePatterns::frmStorePatterns(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmStorePatterns", "Stored phases", parent), logic_(model) {
  auto* layout = new QVBoxLayout(this);

  auto* stored = new QGroupBox("Stored Phases", this);
  auto* grid = new QGridLayout(stored);
  for (int i = 0; i < CStoredPhases::kSlots; ++i) {
    auto* box = new QCheckBox(stored);
    box->setObjectName(QString("chkStoredPhase(%1)").arg(i));
    auto* colour = new QPushButton(stored);
    colour->setObjectName(QString("picLineColor(%1)").arg(i));
    colour->setFixedSize(40, 18);
    colour->setToolTip("Click to choose the colour of this phase's lines");
    grid->addWidget(box, i, 0);
    grid->addWidget(colour, i, 1);
    chkStoredPhase[static_cast<std::size_t>(i)] = box;
    picLineColor[static_cast<std::size_t>(i)] = colour;
    connect(box, &QCheckBox::clicked, this, [this, i](bool checked) {
      logic_.SlotClicked(i, checked);
      RefreshNow();
    });
    connect(colour, &QPushButton::clicked, this, [this, i] {
      logic_.ColourClicked(i);
      RefreshNow();
    });
  }
  layout->addWidget(stored);

  auto* storing = new QGroupBox("Storing phases", this);
  auto* storingLayout = new QVBoxLayout(storing);
  cmdStorePattern = new QPushButton("Store current phase", storing);
  cmdStorePattern->setObjectName("cmdStorePattern");
  storingLayout->addWidget(cmdStorePattern);
  layout->addWidget(storing);

  auto* active = new QGroupBox("Active Phase", this);
  auto* activeLayout = new QHBoxLayout(active);
  activeLayout->addWidget(new QLabel("Name:", active));
  txtActivePhaseName = new QLineEdit(active);
  txtActivePhaseName->setObjectName("txtActivePhaseName");
  txtActivePhaseName->installEventFilter(this);
  activeLayout->addWidget(txtActivePhaseName);
  layout->addWidget(active);

  cmdLoad = new QPushButton("load", this);
  cmdLoad->setObjectName("cmdLoad");
  cmdDeletePattern = new QPushButton("Delete", this);
  cmdDeletePattern->setObjectName("cmdDeletePattern");
  layout->addWidget(cmdLoad);
  layout->addWidget(cmdDeletePattern);
  auto* note = new QLabel("Notes:  Use this to store up to 5 phases behind the \"primary\" phase.", this);
  note->setWordWrap(true);
  layout->addWidget(note);

  connect(cmdStorePattern, &QPushButton::clicked, this, [this] {
    logic_.StoreCurrentPhase();
    // The box is emptied; the refresh shows the current name again.
    txtActivePhaseName->clear();
    RefreshNow();
  });
  connect(cmdLoad, &QPushButton::clicked, this, [this] {
    logic_.Load();
    RefreshNow();
  });
  connect(cmdDeletePattern, &QPushButton::clicked, this, [this] {
    logic_.Delete();
    RefreshNow();
  });
  connect(txtActivePhaseName, &QLineEdit::textEdited, this,
          [this](const QString& text) { logic_.NameChanged(text.toStdString()); });
}

bool frmStorePatterns::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtActivePhaseName && event->type() == QEvent::FocusIn) {
    logic_.NameFocused();
    RefreshNow();
  }
  return ToolWindow::eventFilter(watched, event);
}

void frmStorePatterns::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshNow();
  ToolWindow::changeEvent(event);
}

void frmStorePatterns::Refresh() {
  for (int i = 0; i < CStoredPhases::kSlots; ++i) {
    QCheckBox* box = chkStoredPhase[static_cast<std::size_t>(i)];
    box->setText(QString::fromStdString(logic_.SlotCaption(i)));
    box->setEnabled(logic_.SlotEnabled(i));
    box->setChecked(logic_.SlotChecked(i));
    // The selected slot's caption is blue, the others black.
    box->setStyleSheet(i == logic_.Selected() ? "color: #0000ff" : "color: #000000");
    auto colour = logic_.SlotColour(i);
    // A style sheet background is painted only with a border of its own:
    // without one the style draws its plain button and the colour is lost.
    picLineColor[static_cast<std::size_t>(i)]->setStyleSheet(
        "border: 1px solid #808080; background-color: " +
        (colour ? CssColour(*colour) : QString("palette(button)")));
  }
  cmdLoad->setEnabled(logic_.ActionsEnabled());
  cmdDeletePattern->setEnabled(logic_.ActionsEnabled());
  cmdLoad->setText(QString::fromStdString(logic_.LoadCaption()));
  cmdDeletePattern->setText(QString::fromStdString(logic_.DeleteCaption()));
  SetTextUnlessEditing(txtActivePhaseName, QString::fromStdString(logic_.ActiveName()));
}

}  // namespace quorlin
