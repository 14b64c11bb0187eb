// The models of the lattice tools: the cell-transformation window, the
// centring window and the superlattice window. They act on the main model at
// once; the menu that opens them writes the undo record, so one Undo returns
// to the cell seen before the window was opened.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/wrapped_single.h"
#include "lattice/transformations.h"
#include "mainwindow/main_model.h"
#include "plot/surface.h"

namespace quorlin {

inline constexpr std::string_view kSingularMatrix = "Singular matrix.";
inline constexpr std::string_view kOutOfRange = "Out of Range.";

// frmCellManipulation. Box k of Text1 holds element (k mod 3, k div 3), so
// boxes 0, 1, 2 hold the coefficients of a in a', b', c'.
class CellManipulationModel {
 public:
  explicit CellManipulationModel(MainModel& model);

  // The window opened: takes the starting cell and the editor's lattice.
  void Open();

  // A permutation button: the catalogue matrix of type k into every box.
  void Special(int type);
  // A keystroke in box k; an unacceptable text keeps the last number.
  void BoxChanged(int k, std::string_view text);
  // What box k shows: its text as typed, or the number after validation.
  const std::string& BoxText(int k) const { return boxText_[static_cast<std::size_t>(k)]; }
  // Box k lost the focus: it shows its entry's number again.
  void BoxValidated(int k);
  float Element(int i, int j) const { return entries_[static_cast<std::size_t>(i + 3 * j)].SngValue(); }

  int Lattice() const { return lattice_; }
  void SetLattice(int lattice) { lattice_ = lattice == -1 ? -1 : 1; }

  enum class Outcome { Done, Singular, OutOfRange };
  // Go!: G' = T G T^T on the chosen lattice of the main cell.
  Outcome Go();
  // Reset: the main cell's direct parameters back to the starting cell.
  void Reset();

  const std::string& txtError() const { return txtError_; }
  const std::string& Label6() const { return label6_; }
  const std::array<float, 6>& StartingCell() const { return start_; }

 private:
  void SetBox(int k, float value);

  MainModel& model_;
  CTransformations transformations_;
  std::array<CWrappedSingle, 9> entries_;
  std::array<std::string, 9> boxText_;
  int lattice_ = 1;
  std::array<float, 6> start_{};
  std::string txtError_, label6_;
};

// frmAddCentering: opening selects the cell's centring code in both option
// groups; choosing a direct centring clears the conditions and sets those of
// the centring.
int CenteringSelection(const MainModel& model);
void ChooseDirectCentering(MainModel& model, int code);

// The extra reflections of the point (x, y, z) onto the main plot's picture:
// red lines from 0.333 to 0.666 of the intensity window at every source line
// that is on. The next full redraw removes them.
void SuperlatticePlot(MainModel& model, IDrawingSurface& pic, float x, float y, float z);
inline constexpr Colour kSuperlatticeColour = Rgb(255, 0, 0);

// frmAddLatticePoints.
class LatticePointsModel {
 public:
  explicit LatticePointsModel(MainModel& model);

  // The window opened: starting cell, point boxes "0", identity matrix.
  void Open();
  // Option k (0..6): its halving matrix, its point in the three boxes.
  void ChoosePoint(int k);
  void PointTextChanged(int i, std::string_view text);
  const std::string& PointText(int i) const { return point_[static_cast<std::size_t>(i)]; }
  // The point the boxes hold (a box that is not a number reads 0).
  std::array<float, 3> Point() const;

  // Transform: the current matrix on the reciprocal cell (no determinant test).
  bool Transform();
  void Revert();

  const std::string& LabelError() const { return labelError_; }
  const CTransformations& Transformations() const { return transformations_; }
  const std::array<float, 6>& StartingCell() const { return start_; }

 private:
  MainModel& model_;
  CTransformations transformations_;
  std::array<std::string, 3> point_{"0", "0", "0"};
  std::array<float, 6> start_{};
  std::string labelError_;
};

}  // namespace quorlin
