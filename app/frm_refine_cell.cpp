#include "frm_refine_cell.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorlin {

frmRefineCell::frmRefineCell(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmRefineCell", "Cell Refinement", parent), refinement_(model) {
  auto* layout = new QVBoxLayout(this);
  grdReflections = new QTableWidget(0, 5, this);
  grdReflections->setObjectName("grdReflections");
  grdReflections->setHorizontalHeaderLabels({"h k l", "Observed", "Calculated", "Obs - Calc", "Note"});
  grdReflections->verticalHeader()->setVisible(false);
  grdReflections->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grdReflections, 1);

  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel("Tolerance:", this));
  txtTolerance = new QLineEdit(this);
  txtTolerance->setObjectName("txtTolerance");
  txtTolerance->setPlaceholderText("3 peak widths");
  options->addWidget(txtTolerance);
  chkZeroShift = new QCheckBox("Zero shift", this);
  chkZeroShift->setObjectName("chkZeroShift");
  options->addWidget(chkZeroShift);
  chkDisplacement = new QCheckBox("Specimen displacement", this);
  chkDisplacement->setObjectName("chkDisplacement");
  options->addWidget(chkDisplacement);
  layout->addLayout(options);

  lblResult = new QLabel(this);
  lblResult->setObjectName("lblResult");
  lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(lblResult);
  lblMessage = new QLabel(this);
  lblMessage->setObjectName("lblMessage");
  lblMessage->setWordWrap(true);
  layout->addWidget(lblMessage);

  auto* buttons = new QHBoxLayout;
  cmdRefine = new QPushButton("Refine", this);
  cmdRefine->setObjectName("cmdRefine");
  cmdApply = new QPushButton("Apply", this);
  cmdApply->setObjectName("cmdApply");
  cmdRevert = new QPushButton("Revert", this);
  cmdRevert->setObjectName("cmdRevert");
  buttons->addWidget(cmdRefine);
  buttons->addWidget(cmdApply);
  buttons->addWidget(cmdRevert);
  layout->addLayout(buttons);

  connect(txtTolerance, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (refinement_.SetToleranceText(text.trimmed().toStdString())) RefreshNow();
  });
  connect(chkZeroShift, &QCheckBox::toggled, this, [this](bool on) { refinement_.SetRefineZero(on); });
  connect(chkDisplacement, &QCheckBox::toggled, this, [this](bool on) { refinement_.SetRefineDisplacement(on); });
  connect(grdReflections, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (Refreshing() || item->column() != 0) return;
    const int r = item->row();
    refinement_.SetRowUsed(r, item->checkState() == Qt::Checked);
    // Only this row changes; the item stays (it is the one signalling).
    const QSignalBlocker block(grdReflections);
    const auto& row = refinement_.Rows()[static_cast<std::size_t>(r)];
    item->setCheckState(row.used ? Qt::Checked : Qt::Unchecked);
    if (auto* note = grdReflections->item(r, 4)) note->setText(QString::fromStdString(row.note));
  });
  connect(cmdRefine, &QPushButton::clicked, this, [this] {
    refinement_.Refine();
    RefreshNow();
  });
  connect(cmdApply, &QPushButton::clicked, this, [this] {
    if (!refinement_.Apply()) RefreshNow();  // a success refreshes through the model
  });
  connect(cmdRevert, &QPushButton::clicked, this, [this] { refinement_.Revert(); });
  resize(560, 480);
}

void frmRefineCell::showEvent(QShowEvent* event) {
  refinement_.Capture();  // Revert returns to the cell seen on opening
  ToolWindow::showEvent(event);
}

void frmRefineCell::Refresh() {
  refinement_.Update();
  const auto& rows = refinement_.Rows();
  grdReflections->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const auto& row = rows[static_cast<std::size_t>(i)];
    auto* hkl = new QTableWidgetItem(QString::fromStdString(row.hkl));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row.measured) flags |= Qt::ItemIsUserCheckable;
    hkl->setFlags(flags);
    hkl->setCheckState(row.used ? Qt::Checked : Qt::Unchecked);
    grdReflections->setItem(i, 0, hkl);
    const std::string* texts[4] = {&row.observed, &row.calculated, &row.difference, &row.note};
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(*texts[c]));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      grdReflections->setItem(i, c + 1, item);
    }
  }
  SetTextUnlessEditing(txtTolerance, QString::fromStdString(refinement_.ToleranceText()));
  chkZeroShift->setChecked(refinement_.RefineZero());
  chkDisplacement->setChecked(refinement_.RefineDisplacement());
  lblResult->setText(QString::fromStdString(refinement_.ResultText()));
  lblMessage->setText(QString::fromStdString(refinement_.Message()));
  cmdApply->setEnabled(refinement_.HasResult());
}

}  // namespace quorlin
