#include "frm_lattice_projections.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <cmath>

#include "plot/xrd_plot.h"
#include "widget_names.h"

namespace quorlin {

namespace {

QColor ToQColor(Colour c) {
  Colour rgb = SurfaceRgb(c);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

QLineEdit* Box(QWidget* parent, const QString& name, const QString& text, int width = 50) {
  auto* b = new QLineEdit(text, parent);
  b->setObjectName(name);
  b->setMaximumWidth(width);
  return b;
}

constexpr QSize kBlankPicture{480, 480};

}  // namespace

// --- LatticePicture -----------------------------------------------------------------

LatticePicture::LatticePicture(QWidget* parent) : QWidget(parent) {
  setObjectName("picLattice");
  setMouseTracking(true);
  setMinimumSize(200, 200);
}

void LatticePicture::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void LatticePicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.drawImage(QPointF(0, 0), picture_);
}

void LatticePicture::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  moved_ = false;
  start_ = last_ = event->position();
}

void LatticePicture::mouseMoveEvent(QMouseEvent* event) {
  QPointF at = event->position();
  if (pressed_ && (moved_ || (at - start_).manhattanLength() > 3)) {
    moved_ = true;
    emit Dragged(last_, at);
    last_ = at;
  }
  emit Hovered(at);
}

void LatticePicture::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (!moved_) emit Clicked(event->position());
}

// --- frmLatticeProjections ---------------------------------------------------------

frmLatticeProjections::frmLatticeProjections(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmLatticeProjections", "Lattice Projections", parent) {
  projection_.view.centreX = kBlankPicture.width() / 2.0;
  projection_.view.centreY = kBlankPicture.height() / 2.0;

  auto* layout = new QHBoxLayout(this);
  auto* side = new QVBoxLayout;
  layout->addLayout(side);
  picLattice = new LatticePicture(this);
  layout->addWidget(picLattice, 1);

  auto* section = new QGroupBox("Section", this);
  auto* sl = new QGridLayout(section);
  optZone = new QRadioButton("Zone [u v w]", section);
  optZone->setObjectName("optZone");
  optPlane = new QRadioButton("Plane of h1 k1 l1 and h2 k2 l2", section);
  optPlane->setObjectName("optPlane");
  sl->addWidget(optZone, 0, 0, 1, 3);
  sl->addWidget(optPlane, 2, 0, 1, 3);
  for (int i = 0; i < 3; ++i) {
    txtZone[i] = Box(section, Indexed("txtZone", i), QString::number(projection_.zone[i]));
    txtVector1[i] = Box(section, Indexed("txtVector1", i), QString::number(projection_.h1[i]));
    txtVector2[i] = Box(section, Indexed("txtVector2", i), QString::number(projection_.h2[i]));
    sl->addWidget(txtZone[i], 1, i);
    sl->addWidget(txtVector1[i], 3, i);
    sl->addWidget(txtVector2[i], 4, i);
  }
  sl->addWidget(new QLabel("Index reach:", section), 5, 0, 1, 2);
  txtReach = Box(section, "txtReach", QString::number(projection_.reach));
  sl->addWidget(txtReach, 5, 2);
  side->addWidget(section);

  auto* scale = new QGroupBox("Scale", this);
  auto* scl = new QGridLayout(scale);
  scl->addWidget(new QLabel("Pixels per 1/Angstrom:", scale), 0, 0);
  txtScale = Box(scale, "txtScale", QString::number(projection_.view.scale), 70);
  scl->addWidget(txtScale, 0, 1);
  scl->addWidget(new QLabel("Camera length (mm):", scale), 1, 0);
  txtCameraLength = Box(scale, "txtCameraLength", "1000", 70);
  scl->addWidget(txtCameraLength, 1, 1);
  scl->addWidget(new QLabel("Wavelength (Angstrom):", scale), 2, 0);
  txtWavelength = Box(scale, "txtWavelength", "0.0251", 70);
  scl->addWidget(txtWavelength, 2, 1);
  scl->addWidget(new QLabel("Pixel size (mm):", scale), 3, 0);
  txtPixelSize = Box(scale, "txtPixelSize", "0.1", 70);
  scl->addWidget(txtPixelSize, 3, 1);
  cmdCameraScale = new QPushButton("Scale from camera", scale);
  cmdCameraScale->setObjectName("cmdCameraScale");
  scl->addWidget(cmdCameraScale, 4, 0, 1, 2);
  side->addWidget(scale);

  chkPlotAbsences = new QCheckBox("Plot absent lines", this);
  chkPlotAbsences->setObjectName("chkPlotAbsences");
  chkReplotPattern = new QCheckBox("Replot with the pattern", this);
  chkReplotPattern->setObjectName("chkReplotPattern");
  chkReplotPattern->setChecked(true);
  cmdLoadImage = new QPushButton("Load image...", this);
  cmdLoadImage->setObjectName("cmdLoadImage");
  cmdSavePicture = new QPushButton("Save picture...", this);
  cmdSavePicture->setObjectName("cmdSavePicture");
  lblSpot = new QLabel(this);
  lblSpot->setObjectName("lblSpot");
  lblSpot->setMinimumWidth(180);
  auto* hint = new QLabel("Click: centre. Drag: rotate.", this);
  for (QWidget* w :
       std::initializer_list<QWidget*>{chkPlotAbsences, chkReplotPattern, cmdLoadImage, cmdSavePicture, hint, lblSpot})
    side->addWidget(w);
  side->addStretch(1);
  for (QPushButton* b : {cmdCameraScale, cmdLoadImage, cmdSavePicture}) b->setAutoDefault(false);
  optZone->setChecked(true);

  auto changed = [this] {
    ReadControls();
    Render();
  };
  for (auto* boxes : {&txtZone, &txtVector1, &txtVector2})
    for (QLineEdit* b : *boxes) connect(b, &QLineEdit::textEdited, this, changed);
  for (QLineEdit* b : {txtReach, txtScale}) connect(b, &QLineEdit::textEdited, this, changed);
  connect(optZone, &QRadioButton::toggled, this, changed);
  connect(chkPlotAbsences, &QCheckBox::toggled, this, changed);
  connect(chkReplotPattern, &QCheckBox::toggled, this, [this] {
    UpdateHook();
    if (chkReplotPattern->isChecked()) PlotTheLatticeImage();
  });
  connect(cmdCameraScale, &QPushButton::clicked, this, [this] {
    double s = ScaleFromCamera(txtCameraLength->text().toDouble(), txtWavelength->text().toDouble(),
                               txtPixelSize->text().toDouble());
    if (s > 0) {
      projection_.view.scale = s;
      txtScale->setText(QString::number(s, 'g', 6));
      Render();
    }
  });
  connect(cmdLoadImage, &QPushButton::clicked, this, [this] {
    FileDialogRequest request;
    request.title = "Open Image";
    request.filters = {{"Images (*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.bmp)", "*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.bmp"},
                       {"All Files (*.*)", "*.*"}};
    request.initialFolder = Model().BitmapDirectory;
    if (auto path = Model().Platform().OpenFileDialog(request)) LoadImageFile(QString::fromStdString(*path));
  });
  connect(cmdSavePicture, &QPushButton::clicked, this, [this] {
    FileDialogRequest request;
    request.title = "Save Picture";
    request.filters = {{"PNG Files (*.png)", "*.png"}, {"Bitmap Files (*.bmp)", "*.bmp"}};
    request.defaultExtension = "png";
    request.initialFolder = Model().BitmapDirectory;
    if (auto path = Model().Platform().SaveFileDialog(request)) SavePictureFile(QString::fromStdString(*path));
  });
  connect(picLattice, &LatticePicture::Clicked, this, [this](QPointF at) {
    projection_.view.centreX = at.x();
    projection_.view.centreY = at.y();
    Render();
  });
  connect(picLattice, &LatticePicture::Dragged, this, [this](QPointF from, QPointF to) {
    projection_.view.rotation += projection_.view.DragRotation(from.x(), from.y(), to.x(), to.y());
    Render();
  });
  connect(picLattice, &LatticePicture::Hovered, this, &frmLatticeProjections::Hover);
}

frmLatticeProjections::~frmLatticeProjections() { Model().XRDPlot.PlotTheLatticeImage = nullptr; }

void frmLatticeProjections::showEvent(QShowEvent* event) {
  ToolWindow::showEvent(event);
  UpdateHook();
  PlotTheLatticeImage();
}

void frmLatticeProjections::hideEvent(QHideEvent* event) {
  Model().XRDPlot.PlotTheLatticeImage = nullptr;
  ToolWindow::hideEvent(event);
}

void frmLatticeProjections::UpdateHook() {
  if (isVisible() && chkReplotPattern->isChecked())
    Model().XRDPlot.PlotTheLatticeImage = [this] { PlotTheLatticeImage(); };
  else
    Model().XRDPlot.PlotTheLatticeImage = nullptr;
}

void frmLatticeProjections::Refresh() {
  // The controls hold the window's own settings; the model's changes reach
  // the picture through PlotTheLatticeImage.
}

void frmLatticeProjections::ReadControls() {
  auto read = [](const std::array<QLineEdit*, 3>& boxes, Indices& into) {
    Indices v{};
    for (int i = 0; i < 3; ++i) {
      bool ok = false;
      v[i] = boxes[i]->text().trimmed().toInt(&ok);
      if (!ok || std::abs(v[i]) > 99) return;  // keep the last usable indices
    }
    into = v;
  };
  read(txtZone, projection_.zone);
  read(txtVector1, projection_.h1);
  read(txtVector2, projection_.h2);
  bool ok = false;
  int reach = txtReach->text().toInt(&ok);
  if (ok && reach >= 1 && reach <= 30) projection_.reach = reach;
  double scale = txtScale->text().toDouble(&ok);
  if (ok && scale > 0 && std::isfinite(scale)) projection_.view.scale = scale;
  projection_.byZone = optZone->isChecked();
  projection_.plotAbsences = chkPlotAbsences->isChecked();
}

void frmLatticeProjections::PlotTheLatticeImage() {
  ReadControls();
  Render();
}

void frmLatticeProjections::Render() {
  const MainModel& m = Model();
  spots_ = projection_.Spots(m.UnitCell, m.pattern);
  picture_ = background_.isNull() ? QImage(kBlankPicture, QImage::Format_RGB32)
                                  : background_.convertToFormat(QImage::Format_RGB32);
  if (background_.isNull()) picture_.fill(Qt::black);
  QPainter p(&picture_);
  p.setRenderHint(QPainter::Antialiasing);
  const SectionView& v = projection_.view;
  p.setPen(QPen(Qt::yellow, 1));
  p.drawLine(QPointF(v.centreX - 6, v.centreY), QPointF(v.centreX + 6, v.centreY));
  p.drawLine(QPointF(v.centreX, v.centreY - 6), QPointF(v.centreX, v.centreY + 6));
  // Absent spots first, allowed ones over them, as on the main plot.
  for (bool allowedPass : {false, true})
    for (const SectionSpot& s : spots_) {
      if (s.allowed != allowedPass) continue;
      auto at = v.ToPixel(s.x, s.y);
      QPointF c(at[0], at[1]);
      if (s.allowed) {
        p.setPen(QPen(QColor(128, 128, 128), 1));
        p.setBrush(ToQColor(CXRDPlot::ZoneColor(s.h, s.k, s.l, m.pattern)));
        p.drawEllipse(c, 4, 4);
      } else {
        p.setPen(QPen(ToQColor(m.pattern.AbsenceColor), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 2.5, 2.5);
      }
    }
  p.end();
  picLattice->SetPicture(picture_);
  ++redraws_;
}

void frmLatticeProjections::Hover(QPointF pixel) {
  auto i = NearestSpot(spots_, projection_.view, pixel.x(), pixel.y(), 6);
  lblSpot->setText(i ? QString::fromStdString(SpotText(spots_[*i])) : QString());
}

bool frmLatticeProjections::LoadImageFile(const QString& path) {
  QImageReader reader(path);
  QImage image = reader.read();
  if (image.isNull()) {
    Model().Platform().ShowMessage(path.toStdString() + ": not a picture that can be read (PNG, JPEG, TIFF or BMP)");
    return false;
  }
  background_ = image;
  projection_.view.centreX = image.width() / 2.0;
  projection_.view.centreY = image.height() / 2.0;
  Render();
  return true;
}

bool frmLatticeProjections::SavePictureFile(const QString& path) {
  // QSaveFile writes beside the target and renames on commit, so a failed
  // save leaves an older picture of that name as it was.
  QSaveFile file(path);
  const QByteArray format = QFileInfo(path).suffix().toLower() == "bmp" ? "BMP" : "PNG";
  if (!file.open(QIODevice::WriteOnly) || !picture_.save(&file, format.constData()) || !file.commit()) {
    Model().Platform().ShowMessage(path.toStdString() + ": the picture could not be written");
    return false;
  }
  return true;
}

}  // namespace quorlin
