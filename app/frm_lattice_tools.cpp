#include "frm_lattice_tools.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frm_main.h"
#include "lattice/centring.h"
#include "lattice/superlattice.h"
#include "plot_view.h"
#include "qt_surface.h"
#include "widget_names.h"

namespace quorlin {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

// --- frmCellManipulation -----------------------------------------------------------

frmCellManipulation::frmCellManipulation(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmCellManipulation", "Unit Cell Transformation", parent), tool_(model) {
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(
      "Use this window to transform your cell. For instance, if you suspect that one of your zones is 111, but it "
      "is selected as a, then enter the equations a' = a-b-c, b' = b, c' = c. (Note: the basis will always be "
      "converted to a right-handed one; this reduces the number of possible bases by half!)",
      this);
  note->setWordWrap(true);
  layout->addWidget(note);

  auto* grid = new QGridLayout;
  static const char* const kRow[3] = {"a' =", "b' =", "c' ="};
  static const char* const kBetween[3] = {"a +", "b +", "c"};
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(new QLabel(kRow[i], this), i, 0);
    for (int j = 0; j < 3; ++j) {
      int k = i + 3 * j;
      Text1[k] = Named(new QLineEdit(this), Indexed("Text1", k));
      Text1[k]->setMaximumWidth(70);
      Text1[k]->installEventFilter(this);
      grid->addWidget(Text1[k], i, 1 + 2 * j);
      grid->addWidget(new QLabel(kBetween[j], this), i, 2 + 2 * j);
      connect(Text1[k], &QLineEdit::textEdited, this, [this, k](const QString& text) {
        tool_.BoxChanged(k, text.toStdString());
        ShowMessages();
      });
    }
  }
  layout->addLayout(grid);

  auto* permutations = new QGroupBox("6 Permutations", this);
  auto* pl = new QGridLayout(permutations);
  static const char* const kCaptions[6] = {
      "a,b,c   (Identity)", "b,a,-c    (a <--> b)", "c,a,b", "c,-b,a     (c <--> a)", "b,c,a", "-a,c,b    (b <--> c)"};
  for (int k = 0; k < 6; ++k) {
    Special[k] = Named(new QPushButton(kCaptions[k], permutations), Indexed("Special", k));
    pl->addWidget(Special[k], k / 2, k % 2);
    connect(Special[k], &QPushButton::clicked, this, [this, k] {
      tool_.Special(k);
      RefreshNow();
    });
  }
  layout->addWidget(permutations);

  auto* lattice = new QHBoxLayout;
  optCellType[0] = Named(new QRadioButton("Direct cell", this), Indexed("optCellType", 0));
  optCellType[1] = Named(new QRadioButton("Reciprocal cell", this), Indexed("optCellType", 1));
  for (int i = 0; i < 2; ++i) {
    lattice->addWidget(optCellType[i]);
    connect(optCellType[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) tool_.SetLattice(i == 0 ? 1 : -1);
    });
  }
  layout->addLayout(lattice);

  txtError = Named(new QLabel(this), "txtError");
  Label6 = Named(new QLabel(this), "Label6");
  layout->addWidget(txtError);
  layout->addWidget(Label6);

  auto* buttons = new QHBoxLayout;
  Command1 = Named(new QPushButton("Go!", this), "Command1");
  Command2 = Named(new QPushButton("Reset", this), "Command2");
  OKCommand = Named(new QPushButton("Exit", this), "OKCommand");
  for (QPushButton* b : {Command1, Command2, OKCommand}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  connect(Command1, &QPushButton::clicked, this, [this] {
    tool_.Go();
    ShowMessages();
  });
  connect(Command2, &QPushButton::clicked, this, [this] { tool_.Reset(); });
  connect(OKCommand, &QPushButton::clicked, this, &QDialog::close);
}

void frmCellManipulation::showEvent(QShowEvent* event) {
  tool_.Open();
  ToolWindow::showEvent(event);
}

bool frmCellManipulation::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut)
    for (int k = 0; k < 9; ++k)
      if (watched == Text1[k]) {
        tool_.BoxValidated(k);
        Text1[k]->setText(QString::fromStdString(tool_.BoxText(k)));
      }
  return ToolWindow::eventFilter(watched, event);
}

void frmCellManipulation::ShowMessages() {
  txtError->setText(QString::fromStdString(tool_.txtError()));
  Label6->setText(QString::fromStdString(tool_.Label6()));
}

void frmCellManipulation::Refresh() {
  for (int k = 0; k < 9; ++k) SetTextUnlessEditing(Text1[k], QString::fromStdString(tool_.BoxText(k)));
  optCellType[tool_.Lattice() == 1 ? 0 : 1]->setChecked(true);
  ShowMessages();
}

// --- frmAddCentering -------------------------------------------------------------------

frmAddCentering::frmAddCentering(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmAddCentering", "Centering Selection", parent) {
  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  auto* direct = new QGroupBox("Direct lattice", this);
  auto* reciprocal = new QGroupBox("Reciprocal lattice", this);
  auto* dl = new QVBoxLayout(direct);
  auto* rl = new QVBoxLayout(reciprocal);
  for (int k = 0; k < kCentringCodes; ++k) {
    optDirectCentering[k] =
        Named(new QRadioButton(Q(kDirectCentringCaptions[k]), direct), Indexed("optDirectCentering", k));
    optReciprocalCentering[k] =
        Named(new QRadioButton(Q(kReciprocalCentringCaptions[k]), reciprocal), Indexed("optReciprocalCentering", k));
    dl->addWidget(optDirectCentering[k]);
    rl->addWidget(optReciprocalCentering[k]);
    connect(optDirectCentering[k], &QRadioButton::clicked, this, [this, k] {
      optReciprocalCentering[k]->setChecked(true);
      ChooseDirectCentering(Model(), k);
    });
    // The reciprocal options only show the partner of the direct choice.
    connect(optReciprocalCentering[k], &QRadioButton::clicked, this, [this] { RefreshNow(); });
  }
  groups->addWidget(direct);
  groups->addWidget(reciprocal);
  layout->addLayout(groups);
  OKCommand = Named(new QPushButton("OK", this), "OKCommand");
  layout->addWidget(OKCommand);
  connect(OKCommand, &QPushButton::clicked, this, &QDialog::close);
}

void frmAddCentering::Refresh() {
  int k = CenteringSelection(Model());
  optDirectCentering[k]->setChecked(true);
  optReciprocalCentering[k]->setChecked(true);
}

// --- frmAddLatticePoints ---------------------------------------------------------------

frmAddLatticePoints::frmAddLatticePoints(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmAddLatticePoints", "Superlattice Points", parent), tool_(model) {
  auto* layout = new QVBoxLayout(this);
  auto* points = new QGroupBox("Cell-doubling points", this);
  auto* pl = new QVBoxLayout(points);
  for (int k = 0; k < static_cast<int>(kLatticePoints.size()); ++k) {
    optLatticePoint[k] = Named(new QRadioButton(Q(kLatticePoints[static_cast<std::size_t>(k)].caption), points),
                               Indexed("optLatticePoint", k));
    optLatticePoint[k]->installEventFilter(this);
    pl->addWidget(optLatticePoint[k]);
    connect(optLatticePoint[k], &QRadioButton::clicked, this, [this, k] {
      tool_.ChoosePoint(k);
      ShowTexts();
      MarkNewPeaks();
    });
  }
  layout->addWidget(points);

  auto* point = new QGroupBox("Superlattice Point", this);
  auto* ptl = new QHBoxLayout(point);
  for (int i = 0; i < 3; ++i) {
    txtLatticePoint[i] = Named(new QLineEdit(point), Indexed("txtLatticePoint", i));
    ptl->addWidget(txtLatticePoint[i]);
    connect(txtLatticePoint[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
      tool_.PointTextChanged(i, text.toStdString());
      LabelError->setText(QString::fromStdString(tool_.LabelError()));
    });
  }
  layout->addWidget(point);

  Command1 = Named(new QPushButton("Mark new peak positions", this), "Command1");
  cmdTransform = Named(new QPushButton("Transform", this), "cmdTransform");
  cmdRevert = Named(new QPushButton("Revert", this), "cmdRevert");
  LabelError = Named(new QLabel(this), "LabelError");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {Command1, cmdTransform, cmdRevert}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  layout->addWidget(LabelError);
  connect(Command1, &QPushButton::clicked, this, &frmAddLatticePoints::MarkNewPeaks);
  connect(cmdTransform, &QPushButton::clicked, this, [this] {
    tool_.Transform();
    ShowTexts();
  });
  connect(cmdRevert, &QPushButton::clicked, this, [this] {
    tool_.Revert();
    ShowTexts();
  });
}

void frmAddLatticePoints::showEvent(QShowEvent* event) {
  tool_.Open();
  ShowTexts();
  ToolWindow::showEvent(event);
}

bool frmAddLatticePoints::eventFilter(QObject* watched, QEvent* event) {
  // An option that loses the focus shows all seven unselected; the chosen
  // matrix stays.
  if (event->type() == QEvent::FocusOut)
    for (QRadioButton* o : optLatticePoint)
      if (watched == o) {
        for (QRadioButton* each : optLatticePoint) {
          each->setAutoExclusive(false);
          each->setChecked(false);
          each->setAutoExclusive(true);
        }
        break;
      }
  return ToolWindow::eventFilter(watched, event);
}

void frmAddLatticePoints::ShowTexts() {
  for (int i = 0; i < 3; ++i) SetTextUnlessEditing(txtLatticePoint[i], QString::fromStdString(tool_.PointText(i)));
  LabelError->setText(QString::fromStdString(tool_.LabelError()));
}

void frmAddLatticePoints::Refresh() { ShowTexts(); }

void frmAddLatticePoints::MarkNewPeaks() {
  Model().Notify(ModelChange::Plot);
  auto* main = qobject_cast<frmMain*>(parentWidget());
  if (!main) return;
  auto p = tool_.Point();
  SuperlatticePlot(Model(), main->Surface(), p[0], p[1], p[2]);
  main->picXRayPlot->SetPicture(main->Surface().Image());
}

}  // namespace quorlin
