#include "frm_pressure.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/numtext.h"
#include "pressure_series_panel.h"

namespace quorlin {

frmPressure::frmPressure(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmPressure", "Pressure", parent), pressure_(model) {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  chkStandard = new QCheckBox("A pressure standard:", this);
  chkStandard->setObjectName("chkStandard");
  top->addWidget(chkStandard);
  cboPhase = new QComboBox(this);
  cboPhase->setObjectName("cboPhase");
  top->addWidget(cboPhase, 1);
  layout->addLayout(top);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Scale:", this));
  cboScale = new QComboBox(this);
  cboScale->setObjectName("cboScale");
  for (const std::string& name : PressureModel::ScaleNames()) cboScale->addItem(QString::fromStdString(name));
  row->addWidget(cboScale);
  row->addWidget(new QLabel("Temperature:", this));
  txtTemperature = new QLineEdit(this);
  txtTemperature->setObjectName("txtTemperature");
  row->addWidget(txtTemperature);
  cboTemperatureUnit = new QComboBox(this);
  cboTemperatureUnit->setObjectName("cboTemperatureUnit");
  cboTemperatureUnit->addItems({"K", QString::fromUtf8("\u00b0C")});
  row->addWidget(cboTemperatureUnit);
  layout->addLayout(row);
  lblPressure = new QLabel(this);
  lblPressure->setObjectName("lblPressure");
  layout->addWidget(lblPressure);
  grdScales = new QTableWidget(0, 4, this);
  grdScales->setObjectName("grdScales");
  grdScales->setHorizontalHeaderLabels({"Scale", "P (GPa)", "su (GPa)", "Note"});
  grdScales->verticalHeader()->setVisible(false);
  grdScales->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grdScales, 1);
  BuildCardPhases(layout);
  layout->addWidget(new PressureSeriesPanel(model, this), 3);

  connect(chkStandard, &QCheckBox::toggled, this, [this](bool on) {
    if (!Refreshing()) pressure_.SetMarked(on);
  });
  connect(cboPhase, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!Refreshing() && index >= 0) pressure_.SetPhase(cboPhase->itemData(index).toInt());
  });
  connect(cboScale, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (!Refreshing()) pressure_.SetScale(name.toStdString());
  });
  connect(txtTemperature, &QLineEdit::textEdited, this, [this](const QString& text) {
    pressure_.SetTemperature(text.toStdString(), Kelvin());
  });
  connect(cboTemperatureUnit, &QComboBox::currentIndexChanged, this, [this] {
    if (!Refreshing()) RefreshNow();
  });
  // A refused temperature goes back to the one in force when the box is left.
  connect(txtTemperature, &QLineEdit::editingFinished, this, [this] { RefreshNow(); });
}

void frmPressure::BuildCardPhases(QVBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Card phase:", this));
  cboCardPhase = new QComboBox(this);
  cboCardPhase->setObjectName("cboCardPhase");
  row->addWidget(cboCardPhase, 1);
  row->addWidget(new QLabel("P (GPa):", this));
  txtCardPressure = new QLineEdit(this);
  txtCardPressure->setObjectName("txtCardPressure");
  row->addWidget(txtCardPressure);
  row->addWidget(new QLabel("T:", this));
  txtCardTemperature = new QLineEdit(this);
  txtCardTemperature->setObjectName("txtCardTemperature");
  row->addWidget(txtCardTemperature);
  lblCardTemperatureUnit = new QLabel(this);
  row->addWidget(lblCardTemperatureUnit);
  layout->addLayout(row);
  lblCardCell = new QLabel(this);
  lblCardCell->setObjectName("lblCardCell");
  lblCardCell->setWordWrap(true);
  layout->addWidget(lblCardCell);

  connect(cboCardPhase, &QComboBox::currentIndexChanged, this, [this] {
    if (!Refreshing()) RefreshNow();
  });
  connect(txtCardPressure, &QLineEdit::textEdited, this, [this](const QString& text) {
    pressure_.SetCardPressure(ChosenCardPhase(), text.toStdString());
  });
  connect(txtCardTemperature, &QLineEdit::textEdited, this, [this](const QString& text) {
    pressure_.SetCardTemperature(ChosenCardPhase(), text.toStdString(), Kelvin());
  });
  // Narrow number boxes, so that the phase's name has the room.
  txtCardPressure->setMaximumWidth(90);
  txtCardTemperature->setMaximumWidth(90);
  txtCardPressure->installEventFilter(this);
  txtCardTemperature->installEventFilter(this);
  // A refused value goes back to the one in force when the box is left.
  connect(txtCardPressure, &QLineEdit::editingFinished, this, [this] { RefreshNow(); });
  connect(txtCardTemperature, &QLineEdit::editingFinished, this, [this] { RefreshNow(); });
}

bool frmPressure::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtCardPressure || watched == txtCardTemperature) {
    if (event->type() == QEvent::FocusIn) pressure_.CardBoxFocused();
    if (event->type() == QEvent::FocusOut) pressure_.CardBoxLeft();
  }
  return ToolWindow::eventFilter(watched, event);
}

int frmPressure::ChosenCardPhase() const {
  const int index = cboCardPhase->currentIndex();
  return index >= 0 ? cboCardPhase->itemData(index).toInt() : PressureMark::kWorkingPhase - 1;
}

void frmPressure::RefreshCardPhases() {
  const int chosen = ChosenCardPhase();
  cboCardPhase->clear();
  const auto phases = pressure_.CardPhases();
  const CardPhaseRow* shown = nullptr;
  for (const CardPhaseRow& r : phases) {
    cboCardPhase->addItem(QString::fromStdString(r.name), r.phase);
    if (r.phase == chosen || !shown) {
      cboCardPhase->setCurrentIndex(cboCardPhase->count() - 1);
      shown = &r;
    }
  }
  const bool movable = shown && shown->movable;
  txtCardPressure->setEnabled(movable);
  txtCardTemperature->setEnabled(movable);
  lblCardTemperatureUnit->setText(Kelvin() ? "K" : QString::fromUtf8("\u00b0C"));
  if (!shown) {
    txtCardPressure->clear();
    txtCardTemperature->clear();
    lblCardCell->setText("No phase opened from a jcpds card.");
    return;
  }
  SetTextUnlessEditing(txtCardPressure, QString::fromStdString(GeneralText(shown->pressure)));
  SetTextUnlessEditing(txtCardTemperature,
                       QString::fromStdString(GeneralText(Kelvin() ? shown->kelvin : shown->kelvin - 273.15)));
  const std::string cell = pressure_.CardCellText(shown->phase);
  lblCardCell->setText(QString::fromStdString(movable ? cell : cell + " (the card gives no K0: it cannot be moved)"));
}

bool frmPressure::Kelvin() const { return cboTemperatureUnit->currentIndex() == 0; }

void frmPressure::Refresh() {
  const PressureMark& mark = Model().Pressure;
  chkStandard->setChecked(mark.marked);
  cboPhase->clear();
  for (const auto& [phase, name] : pressure_.Phases()) {
    cboPhase->addItem(QString::fromStdString(name), phase);
    if (phase == mark.phase) cboPhase->setCurrentIndex(cboPhase->count() - 1);
  }
  cboScale->setCurrentText(QString::fromStdString(mark.scale));
  SetTextUnlessEditing(txtTemperature, QString::fromStdString(pressure_.TemperatureText(Kelvin())));
  lblPressure->setText(QString::fromStdString(pressure_.Readout()));
  const auto rows = pressure_.Rows();
  grdScales->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const ScaleRow& r = rows[static_cast<std::size_t>(i)];
    grdScales->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(r.scale)));
    grdScales->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(r.pressure)));
    grdScales->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(r.su)));
    grdScales->setItem(i, 3, new QTableWidgetItem(r.outside ? "outside the scale's range" : ""));
  }
  RefreshCardPhases();
}

}  // namespace quorlin
