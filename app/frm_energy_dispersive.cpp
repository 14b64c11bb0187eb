#include "frm_energy_dispersive.h"

#include <utility>

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

struct LabelledBox {
  QLineEdit*& box;
  const char* name;
  const char* label;
};

struct NamedButton {
  QPushButton*& button;
  const char* name;
  const char* caption;
};

// The angle and the edge each have a group of the same shape: three labelled
// boxes, and beside them a column of buttons (scan, fit, save, revert).
QGroupBox* ScanGroup(QWidget* parent, const char* title, std::initializer_list<LabelledBox> boxes,
                     std::initializer_list<NamedButton> buttons) {
  auto* group = new QGroupBox(title, parent);
  auto* grid = new QGridLayout(group);
  for (const LabelledBox& b : boxes) b.box = Box(group, b.name);
  int row = 0;
  for (const LabelledBox& b : boxes) {
    grid->addWidget(new QLabel(b.label, group), row, 0);
    grid->addWidget(b.box, row++, 1);
  }
  row = 0;
  for (const NamedButton& b : buttons) {
    b.button = Button(group, b.name, b.caption);
    grid->addWidget(b.button, row++, 2);
  }
  return group;
}

// The boxes typed into, each with the model's text it stands for.
std::array<std::pair<QLineEdit*, std::string EnergyDispersiveModel::*>, 10> EditBoxes(frmEnergyDispersive& w) {
  using M = EnergyDispersiveModel;
  return {{{w.txtT, &M::txtT},
           {w.txt2ThetaScanRange, &M::txt2ThetaScanRange},
           {w.txt2ThetaNumberOfPoints, &M::txt2ThetaNumberOfPoints},
           {w.txtTwoTheta, &M::txtTwoTheta},
           {w.txtLPScanRange, &M::txtLPScanRange},
           {w.txtLPNumberOfPoints, &M::txtLPNumberOfPoints},
           {w.txtLatticeParameter, &M::txtLatticeParameter},
           {w.txth, &M::txth},
           {w.txtk, &M::txtk},
           {w.txtl, &M::txtl}}};
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

  left->addWidget(ScanGroup(this, "2 theta",
                            {{txt2ThetaScanRange, "txt2ThetaScanRange", "Scan Range (degrees)"},
                             {txt2ThetaNumberOfPoints, "txt2ThetaNumberOfPoints", "Number of points in scan"},
                             {txtTwoTheta, "txtTwoTheta", "Two theta"}},
                            {{cmdScan2Theta, "cmdScan2Theta", "Scan 2 Theta ->"},
                             {cmdFit2Theta, "cmdFit2Theta", "FIT 2 THETA"},
                             {cmdSaveNew2Theta, "cmdSaveNew2Theta", "Save new 2 theta"},
                             {cmdRevertToOld2Theta, "cmdRevertToOld2Theta", "Revert to old 2 theta"}}));
  left->addWidget(ScanGroup(
      this, "Lattice parameter",
      {{txtLPScanRange, "txtLPScanRange", "Scan range (Angstroms)"},
       {txtLPNumberOfPoints, "txtLPNumberOfPoints", "Number of points in scan"},
       {txtLatticeParameter, "txtLatticeParameter", "Lattice Parameter"}},
      {{cmdScanLatticeParameter, "cmdScanLatticeParameter", "Scan lattice parameter ->"},
       {cmdFitLP, "cmdFitLP", "FIT L.P."},
       {cmdSaveNewLatticeParameter, "cmdSaveNewLatticeParameter", "Save new lattice parameter"},
       {cmdRevertToOldLatticeParameter, "cmdRevertToOldLatticeParameter", "Revert to old lattice parameter"}}));

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

  // Each button runs one operation of the model (the one open now: ed_ is
  // made afresh when the window opens).
  auto runs = [this](QPushButton* button, auto operation) {
    connect(button, &QPushButton::clicked, this, [this, operation] { Run([this, operation] { (*ed_.*operation)(); }); });
  };
  using M = EnergyDispersiveModel;
  runs(cmdScan2Theta, &M::Scan2Theta);
  runs(cmdFit2Theta, &M::Fit2Theta);
  runs(cmdSaveNew2Theta, &M::SaveNew2Theta);
  runs(cmdRevertToOld2Theta, &M::RevertToOld2Theta);
  runs(cmdScanLatticeParameter, &M::ScanLP);
  runs(cmdFitLP, &M::FitLP);
  runs(cmdSaveNewLatticeParameter, &M::SaveNewLatticeParameter);
  runs(cmdRevertToOldLatticeParameter, &M::RevertToOldLatticeParameter);
  runs(cmdFitSinglePeak, &M::FitSinglePeak);
  runs(Command3, &M::FillPeakList);
  runs(cmdFitPattern, &M::FitPattern);
  runs(cmdDeselect, &M::Deselect);
  runs(Command1, &M::SelectAll);
  runs(Command2, &M::UnselectAll);
  connect(cboPeakList, qOverload<int>(&QComboBox::activated), this,
          [this](int item) { Run([this, item] { ed_->ChoosePeak(item); }); });
  // A new size redraws at that size, so the picture and the mapping of a click stay one.
  connect(picPeakPlot, &PlotView::Resized, this, [this] { DrawPeakPlot(); });
  connect(picPeakPlot, &PlotView::Released, this,
          [this](Qt::MouseButton, double x, double) { Run([this, x] { ed_->PlotMouseUp(static_cast<float>(x)); }); });
  for (QRadioButton* opt : optPressureStandard)
    connect(opt, &QRadioButton::toggled, this, [this](bool on) {
      if (on) Run([this] { ed_->StandardChanged(); });
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
  for (auto [box, text] : EditBoxes(*this)) e.*text = box->text().toStdString();
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
  for (auto [box, text] : EditBoxes(*this)) set(box, e.*text);
  set(txtP, e.txtP);
  set(txtD, e.txtD);
  lblIsotherm->setText(QString::fromStdString(e.PressureNote));
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
  s.SetDevicePixelRatio(picPeakPlot->devicePixelRatioF());
  s.Resize(std::max(1, size.width()), std::max(1, size.height()));
  if (e.PlotMode == 2) {
    // The spectrum with the card's lines: the main plot's channel and energy axes.
    DrawPlot(Model(), s);
  } else if (e.PlotMode == 0 || e.ScanX.empty()) {
    s.SetAxes(std::nullopt);
    s.Scale(0, 1, 1, 0);
    s.Clear(Rgb(255, 255, 255));
  } else {
    // A scan is titled in its own unit; it has no second scale.
    AxesStyle axes;
    axes.bottomTitle = e.ScanAxisTitle;
    axes.leftTitle = "Intensity";
    s.SetAxes(std::move(axes));
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
  // A click maps through the plot area the picture was drawn in, inside its axes.
  const PlotScale& sc = s.CurrentScale();
  picPeakPlot->SetUserScale(sc.left, sc.top, sc.right - sc.left, sc.bottom - sc.top);
  picPeakPlot->SetPlotArea(s.PlotArea());
  picPeakPlot->SetPicture(s.Image());
}

}  // namespace quorlin
