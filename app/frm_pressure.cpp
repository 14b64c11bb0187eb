#include "frm_pressure.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

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
  grdScales = new QTableWidget(0, 3, this);
  grdScales->setObjectName("grdScales");
  grdScales->setHorizontalHeaderLabels({"Scale", "P (GPa)", "Note"});
  grdScales->verticalHeader()->setVisible(false);
  grdScales->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grdScales, 1);
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
    grdScales->setItem(i, 2, new QTableWidgetItem(r.outside ? "outside the scale's range" : ""));
  }
}

}  // namespace quorlin
