// frmLatticeProjections: a two-dimensional section of the reciprocal lattice
// drawn over a loaded diffraction or precession image, for indexing single-
// crystal and electron-diffraction pictures with the working cell. The
// geometry is LatticeProjection (src/lattice/section.h); this window draws
// it, takes the mouse (click: centre, drag: rotation, hover: hkl and d) and
// loads and saves pictures.
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <array>
#include <vector>

#include "lattice/section.h"
#include "tool_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlin {

class LatticePicture;

class frmLatticeProjections : public ToolWindow {
  Q_OBJECT

 public:
  frmLatticeProjections(MainModel& model, QWidget* parent);
  ~frmLatticeProjections() override;

  // Redraws the section from the main window's cell and reflection set. The
  // main plot calls it after every redraw while chkReplotPattern is ticked.
  void PlotTheLatticeImage();

  LatticeProjection& Projection() { return projection_; }
  const std::vector<SectionSpot>& Spots() const { return spots_; }
  const QImage& Picture() const { return picture_; }
  int Redraws() const { return redraws_; }
  // Loads / saves the picture at `path`; false (and a message) on failure.
  bool LoadImageFile(const QString& path);
  bool SavePictureFile(const QString& path);

  QRadioButton* optZone = nullptr;
  QRadioButton* optPlane = nullptr;
  std::array<QLineEdit*, 3> txtZone{};
  std::array<QLineEdit*, 3> txtVector1{};
  std::array<QLineEdit*, 3> txtVector2{};
  QLineEdit* txtReach = nullptr;
  QLineEdit* txtScale = nullptr;
  QLineEdit* txtCameraLength = nullptr;
  QLineEdit* txtWavelength = nullptr;
  QLineEdit* txtPixelSize = nullptr;
  QPushButton* cmdCameraScale = nullptr;
  QCheckBox* chkPlotAbsences = nullptr;
  QCheckBox* chkReplotPattern = nullptr;
  QPushButton* cmdLoadImage = nullptr;
  QPushButton* cmdSavePicture = nullptr;
  QLabel* lblSpot = nullptr;
  LatticePicture* picLattice = nullptr;

 protected:
  void Refresh() override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ReadControls();
  void Render();
  void UpdateHook();
  void Hover(QPointF pixel);

  LatticeProjection projection_;
  std::vector<SectionSpot> spots_;
  QImage background_;
  QImage picture_;
  int redraws_ = 0;
};

// The picture: shows the rendered section one to one and reports the mouse
// in picture pixels.
class LatticePicture : public QWidget {
  Q_OBJECT

 public:
  explicit LatticePicture(QWidget* parent);
  void SetPicture(const QImage& picture);
  QSize sizeHint() const override { return {480, 480}; }

 signals:
  void Clicked(QPointF pixel);
  void Dragged(QPointF from, QPointF to);
  void Hovered(QPointF pixel);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  bool pressed_ = false, moved_ = false;
  QPointF last_, start_;
};

}  // namespace quorlin
