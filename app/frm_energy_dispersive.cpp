#include "frm_energy_dispersive.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "plot_export.h"
#include "plot_view.h"
#include "qt_surface.h"

namespace quorlin {
namespace {

QLineEdit* Box(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

void Labelled(QGridLayout* grid, int row, const char* label, QWidget* w, QWidget* parent) {
  grid->addWidget(new QLabel(label, parent), row, 0);
  grid->addWidget(w, row, 1);
}

}  // namespace

frmEnergyDispersive::frmEnergyDispersive(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmEnergyDispersive", "Energy Dispersive Tools", parent),
      ed_(std::make_unique<EnergyDispersiveModel>(model)),
      surface_(std::make_unique<QtSurface>(380, 330)) {
  auto* top = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  top->addLayout(left);

  // Pressure standard, temperature and pressure.
  auto* pressure = new QGroupBox("Pressure", this);
  auto* pg = new QGridLayout(pressure);
  const char* standards[] = {"CsCl", "W", "MgO", "Au", "NaCl"};
  for (int i = 0; i < 5; ++i) {
    auto* opt = new QRadioButton(standards[i], pressure);
    opt->setObjectName(QString("optPressureStandard(%1)").arg(i));
    optPressureStandard[static_cast<std::size_t>(i)] = opt;
    pg->addWidget(opt, 0, i);
  }
  optPressureStandard[0]->setChecked(true);
  txtT = Box(pressure, "txtT");
  txtP = Box(pressure, "txtP");
  lblIsotherm = new QLabel(pressure);
  lblIsotherm->setObjectName("lblIsotherm");
  pg->addWidget(new QLabel("Temperature", pressure), 1, 0);
  pg->addWidget(txtT, 1, 1);
  pg->addWidget(new QLabel("Pressure", pressure), 1, 2);
  pg->addWidget(txtP, 1, 3);
  pg->addWidget(lblIsotherm, 2, 0, 1, 5);
  left->addWidget(pressure);

  // Two theta.
  auto* angle = new QGroupBox("2 theta", this);
  auto* ag = new QGridLayout(angle);
  txt2ThetaScanRange = Box(angle, "txt2ThetaScanRange");
  txt2ThetaNumberOfPoints = Box(angle, "txt2ThetaNumberOfPoints");
  txtTwoTheta = Box(angle, "txtTwoTheta");
  Labelled(ag, 0, "Scan Range (degrees)", txt2ThetaScanRange, angle);
  Labelled(ag, 1, "Number of points in scan", txt2ThetaNumberOfPoints, angle);
  Labelled(ag, 2, "Two theta", txtTwoTheta, angle);
  cmdScan2Theta = Button(angle, "cmdScan2Theta", "Scan 2 Theta ->");
  cmdFit2Theta = Button(angle, "cmdFit2Theta", "FIT 2 THETA");
  cmdSaveNew2Theta = Button(angle, "cmdSaveNew2Theta", "Save new 2 theta");
  cmdRevertToOld2Theta = Button(angle, "cmdRevertToOld2Theta", "Revert to old 2 theta");
  ag->addWidget(cmdScan2Theta, 0, 2);
  ag->addWidget(cmdFit2Theta, 1, 2);
  ag->addWidget(cmdSaveNew2Theta, 2, 2);
  ag->addWidget(cmdRevertToOld2Theta, 3, 2);
  left->addWidget(angle);

  // Lattice parameter.
  auto* lp = new QGroupBox("Lattice parameter", this);
  auto* lg = new QGridLayout(lp);
  txtLPScanRange = Box(lp, "txtLPScanRange");
  txtLPNumberOfPoints = Box(lp, "txtLPNumberOfPoints");
  txtLatticeParameter = Box(lp, "txtLatticeParameter");
  Labelled(lg, 0, "Scan range (Angstroms)", txtLPScanRange, lp);
  Labelled(lg, 1, "Number of points in scan", txtLPNumberOfPoints, lp);
  Labelled(lg, 2, "Lattice Parameter", txtLatticeParameter, lp);
  cmdScanLatticeParameter = Button(lp, "cmdScanLatticeParameter", "Scan lattice parameter ->");
  cmdFitLP = Button(lp, "cmdFitLP", "FIT L.P.");
  cmdSaveNewLatticeParameter = Button(lp, "cmdSaveNewLatticeParameter", "Save new lattice parameter");
  cmdRevertToOldLatticeParameter = Button(lp, "cmdRevertToOldLatticeParameter", "Revert to old lattice parameter");
  lg->addWidget(cmdScanLatticeParameter, 0, 2);
  lg->addWidget(cmdFitLP, 1, 2);
  lg->addWidget(cmdSaveNewLatticeParameter, 2, 2);
  lg->addWidget(cmdRevertToOldLatticeParameter, 3, 2);
  left->addWidget(lp);

  // One peak, the reflection list and the pattern fit.
  auto* peak = new QGroupBox("Peaks", this);
  auto* kg = new QGridLayout(peak);
  txth = Box(peak, "txth");
  txtk = Box(peak, "txtk");
  txtl = Box(peak, "txtl");
  txtD = Box(peak, "txtD");
  const char* hkl[] = {"h", "k", "l"};
  QLineEdit* boxes[] = {txth, txtk, txtl};
  for (int i = 0; i < 3; ++i) {
    kg->addWidget(new QLabel(hkl[i], peak), 0, 2 * i);
    kg->addWidget(boxes[i], 0, 2 * i + 1);
  }
  cmdFitSinglePeak = Button(peak, "cmdFitSinglePeak", "Fit this peak");
  kg->addWidget(cmdFitSinglePeak, 1, 0, 1, 3);
  kg->addWidget(txtD, 1, 3, 1, 3);
  cboPeakList = new QComboBox(peak);
  cboPeakList->setObjectName("cboPeakList");
  Command3 = Button(peak, "Command3", "Command3");
  cmdFitPattern = Button(peak, "cmdFitPattern", "Fit Pattern");
  cmdDeselect = Button(peak, "cmdDeselect", "Deselect and Select Individual Peaks");
  Command1 = Button(peak, "Command1", "Select All");
  Command2 = Button(peak, "Command2", "Unselect All");
  kg->addWidget(cboPeakList, 2, 0, 1, 3);
  kg->addWidget(Command3, 2, 3, 1, 3);
  kg->addWidget(cmdFitPattern, 3, 0, 1, 6);
  kg->addWidget(cmdDeselect, 4, 0, 1, 6);
  kg->addWidget(Command1, 5, 0, 1, 3);
  kg->addWidget(Command2, 5, 3, 1, 3);
  left->addWidget(peak);

  picPeakPlot = new PlotView(this);
  picPeakPlot->setObjectName("picPeakPlot");
  top->addWidget(picPeakPlot, 1);

  connect(cmdScan2Theta, &QPushButton::clicked, this, [this] { Run([this] { ed_->Scan2Theta(); }); });
  connect(cmdFit2Theta, &QPushButton::clicked, this, [this] { Run([this] { ed_->Fit2Theta(); }); });
  connect(cmdSaveNew2Theta, &QPushButton::clicked, this, [this] { Run([this] { ed_->SaveNew2Theta(); }); });
  connect(cmdRevertToOld2Theta, &QPushButton::clicked, this, [this] { Run([this] { ed_->RevertToOld2Theta(); }); });
  connect(cmdScanLatticeParameter, &QPushButton::clicked, this, [this] { Run([this] { ed_->ScanLP(); }); });
  connect(cmdFitLP, &QPushButton::clicked, this, [this] { Run([this] { ed_->FitLP(); }); });
  connect(cmdSaveNewLatticeParameter, &QPushButton::clicked, this,
          [this] { Run([this] { ed_->SaveNewLatticeParameter(); }); });
  connect(cmdRevertToOldLatticeParameter, &QPushButton::clicked, this,
          [this] { Run([this] { ed_->RevertToOldLatticeParameter(); }); });
  connect(cmdFitSinglePeak, &QPushButton::clicked, this, [this] { Run([this] { ed_->FitSinglePeak(); }); });
  connect(Command3, &QPushButton::clicked, this, [this] { Run([this] { ed_->FillPeakList(); }); });
  connect(cmdFitPattern, &QPushButton::clicked, this, [this] { Run([this] { ed_->FitPattern(); }); });
  connect(cmdDeselect, &QPushButton::clicked, this, [this] { Run([this] { ed_->Deselect(); }); });
  connect(Command1, &QPushButton::clicked, this, [this] { Run([this] { ed_->SelectAll(); }); });
  connect(Command2, &QPushButton::clicked, this, [this] { Run([this] { ed_->UnselectAll(); }); });
  connect(cboPeakList, qOverload<int>(&QComboBox::activated), this,
          [this](int item) { Run([this, item] { ed_->ChoosePeak(item); }); });
  connect(picPeakPlot, &PlotView::Released, this,
          [this](Qt::MouseButton, double x, double) { Run([this, x] { ed_->PlotMouseUp(static_cast<float>(x)); }); });
  for (QRadioButton* opt : optPressureStandard)
    connect(opt, &QRadioButton::toggled, this, [this](bool on) {
      if (on && !Refreshing()) BoxesToModel();
    });
  ModelToBoxes();
}

frmEnergyDispersive::~frmEnergyDispersive() = default;

void frmEnergyDispersive::showEvent(QShowEvent* event) {
  // Opening reads the current angle and edge afresh: Revert goes back to them.
  if (!open_) {
    open_ = true;
    ed_ = std::make_unique<EnergyDispersiveModel>(Model());
    RefreshNow();
    ModelToBoxes();
  }
  ToolWindow::showEvent(event);
}

void frmEnergyDispersive::hideEvent(QHideEvent* event) {
  open_ = false;
  ToolWindow::hideEvent(event);
}

template <class Op>
void frmEnergyDispersive::Run(Op&& op) {
  if (Refreshing()) return;
  BoxesToModel();
  op();
  ModelToBoxes();
}

void frmEnergyDispersive::BoxesToModel() {
  EnergyDispersiveModel& e = *ed_;
  for (int i = 0; i < 5; ++i)
    if (optPressureStandard[static_cast<std::size_t>(i)]->isChecked()) e.optPressureStandard = i;
  e.txtT = txtT->text().toStdString();
  e.txt2ThetaScanRange = txt2ThetaScanRange->text().toStdString();
  e.txt2ThetaNumberOfPoints = txt2ThetaNumberOfPoints->text().toStdString();
  e.txtTwoTheta = txtTwoTheta->text().toStdString();
  e.txtLPScanRange = txtLPScanRange->text().toStdString();
  e.txtLPNumberOfPoints = txtLPNumberOfPoints->text().toStdString();
  e.txtLatticeParameter = txtLatticeParameter->text().toStdString();
  e.txth = txth->text().toStdString();
  e.txtk = txtk->text().toStdString();
  e.txtl = txtl->text().toStdString();
}

void frmEnergyDispersive::ModelToBoxes() {
  const EnergyDispersiveModel& e = *ed_;
  auto set = [](QLineEdit* box, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (box->text() != t) box->setText(t);
  };
  {
    // Checking a button must not read the other, not yet written, boxes back.
    QSignalBlocker block(optPressureStandard[static_cast<std::size_t>(e.optPressureStandard)]);
    optPressureStandard[static_cast<std::size_t>(e.optPressureStandard)]->setChecked(true);
  }
  set(txtT, e.txtT);
  set(txtP, e.txtP);
  lblIsotherm->setText(QString::fromStdString(e.PressureNote));
  set(txt2ThetaScanRange, e.txt2ThetaScanRange);
  set(txt2ThetaNumberOfPoints, e.txt2ThetaNumberOfPoints);
  set(txtTwoTheta, e.txtTwoTheta);
  set(txtLPScanRange, e.txtLPScanRange);
  set(txtLPNumberOfPoints, e.txtLPNumberOfPoints);
  set(txtLatticeParameter, e.txtLatticeParameter);
  set(txth, e.txth);
  set(txtk, e.txtk);
  set(txtl, e.txtl);
  set(txtD, e.txtD);
  QStringList items;
  for (const auto& item : e.cboPeakList) items << QString::fromStdString(item);
  QStringList shown;
  for (int i = 0; i < cboPeakList->count(); ++i) shown << cboPeakList->itemText(i);
  if (items != shown) {
    cboPeakList->clear();
    cboPeakList->addItems(items);
  }
  DrawPeakPlot();
}

void frmEnergyDispersive::Refresh() {
  // The card lines on the plot follow the model (Undo, another window).
  DrawPeakPlot();
}

void frmEnergyDispersive::DrawPeakPlot() {
  const EnergyDispersiveModel& e = *ed_;
  QtSurface& s = *surface_;
  const QSize size = picPeakPlot->size();
  if (s.Image().size() != size) s.Resize(std::max(1, size.width()), std::max(1, size.height()));
  if (e.PlotMode == 2) {
    DrawPlot(Model(), s);
  } else if (e.PlotMode == 0 || e.ScanX.empty()) {
    s.Scale(0, 1, 1, 0);
    s.Clear(Rgb(255, 255, 255));
  } else {
    const float top = e.Best > 0 ? 1.1f * e.Best : 10.0f;
    const double x0 = e.ScanX.front(), x1 = e.ScanX.back() > x0 ? e.ScanX.back() : x0 + 1;
    s.Scale(x0, top, x1, 0);
    s.Clear(Rgb(255, 255, 255));
    s.SetDrawWidth(3);
    for (std::size_t i = 0; i < e.ScanX.size(); ++i) s.PSet(e.ScanX[i], e.ScanY[i], 0);
    s.SetDrawWidth(1);
    if (e.CurveY.size() == e.ScanX.size()) {
      s.MoveTo(e.ScanX[0], e.CurveY[0]);
      for (std::size_t j = 1; j < e.ScanX.size(); ++j) s.LineTo(e.ScanX[j], e.CurveY[j], Rgb(255, 0, 0));
    }
  }
  const PlotScale& sc = s.CurrentScale();
  picPeakPlot->SetUserScale(sc.left, sc.top, sc.right - sc.left, sc.bottom - sc.top);
  picPeakPlot->SetPicture(s.Image());
}

}  // namespace quorlin
