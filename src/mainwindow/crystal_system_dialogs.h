// The seven crystal-system windows (cubic .. triclinic): their names, captions
// and symbol tables, and the logic behind their buttons. A window picks an
// extinction symbol of its system, which sets the main model's crystal system
// and extinction number (the catalogue entry of the same number), and through
// them the cell's constraint. The tetragonal window adds the Laue class and
// its lock; the orthorhombic window adds the axis orientation and a button
// that steps through every symbol/orientation pair.
//
// Each change goes through MainModel::Edit, so it is one undo step and every
// open window refreshes. The window state kept here (remembered Laue class,
// lock, orientation and its reference edges) lives only as long as the window.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mainwindow/main_model.h"

namespace quorlin {

// A frame of symbol options: its caption and the symbol numbers it holds.
struct SymbolFrame {
  std::string_view caption;
  int first = 0;
  int last = 0;
};

// Everything that tells the seven windows apart.
struct CrystalSystemWindowLayout {
  std::int16_t system = 0;                    // crystal-system code it writes, 1..7
  std::string_view objectName;                // "frmCubic"
  std::string_view caption;                   // "Cubic System"
  std::string_view symbolArray;               // "ExtinctionSymbol" or "optExtinctionSymbol"
  std::span<const std::string_view> symbols;  // caption of option i = catalogue number i
  std::span<const SymbolFrame> frames;
  std::string_view noSymbolCaption;  // cmdNoExtinction
  std::string_view okName;           // "OKCommand" or "cmdOK"
  std::string_view listLabel;        // label before Text1
};

// The window of crystal system 1..7; throws std::out_of_range otherwise.
const CrystalSystemWindowLayout& CrystalSystemWindow(std::int16_t system);

// Orientation captions "a-b-c" .. "a-c-b" of the orthorhombic window.
std::span<const std::string_view> OrientationCaptions();
// Tetragonal symbol i admits: 0 only 4/m, 1 only 4/mmm, 2 both.
int TetragonalLaueCompatibility(int symbol);
// Orthorhombic symbol i's axis-permutation class 1..5 (0 outside 0..43).
int OrthorhombicPermutationClass(int symbol);
// The orientations (0..5) an orthorhombic symbol may take; none for -1.
std::array<bool, 6> AllowedOrientations(int symbol);
// The edges (a, b, c) that orientation o makes of the reference edges e.
std::array<float, 3> OrientedEdges(int orientation, const std::array<float, 3>& e);

class CrystalSystemDialog {
 public:
  CrystalSystemDialog(MainModel& model, std::int16_t system);

  const CrystalSystemWindowLayout& Layout() const { return layout_; }
  std::int16_t System() const { return layout_.system; }

  // --- what the window shows ------------------------------------------------
  // The option to select: the extinction number while the model's system is
  // this window's, else -1 (every option cleared).
  int SelectedSymbol() const;
  // Text1: the model's list of space groups.
  std::string SpaceGroupText() const;

  // --- every window -----------------------------------------------------------
  // Symbol i: crystal system and extinction number (trigonal: the number
  // first, so that the cell's axes follow the new number), then the window's
  // own rules below.
  void ChooseSymbol(int symbol);
  // Number -1: the conditions stay as they are and the list shows "None".
  void NoExtinctionSymbol();

  // --- tetragonal -------------------------------------------------------------
  // 0 "4/m", 1 "4/mmm", -1 none selected.
  int SelectedLaueOption() const;
  bool LaueOptionsEnabled() const;
  bool LockEnabled() const;
  bool Lock() const { return lock_; }
  // Window state only: the window refreshes its own options after it.
  void SetLock(bool on);
  void ChooseLaueClass(int option);
  bool SymbolEnabled(int symbol) const;
  int RememberedLaueClass() const { return rememberedLaue_; }

  // --- orthorhombic -----------------------------------------------------------
  // The window became active: the cell's edges now are the reference of the
  // orientations, and the orientation is a-b-c.
  void Activate();
  // The orientation the cell now shows: after an Undo the cell may be in
  // another orientation of the reference edges than the last one chosen.
  int Orientation() const;
  std::array<bool, 6> OrientationsAllowed() const;
  bool StepEnabled() const { return SelectedSymbol() >= 0; }
  // Rewrites a, b, c as the reference edges taken in orientation o.
  void ChooseOrientation(int orientation);
  void StepThrough();
  const std::array<float, 3>& ReferenceEdges() const { return reference_; }

 private:
  bool Current() const;  // the model's system is this window's
  void SetSystemAndNumber(int symbol);
  bool WriteOrientation(int orientation);

  MainModel& model_;
  const CrystalSystemWindowLayout& layout_;
  int rememberedLaue_ = 4;  // 4/mmm until the user picks a class
  bool lock_ = false;
  bool lockAvailable_ = false;  // chkLaueLock, offered once a one-class symbol is chosen
  // Sets the orientation and remembers the edges it was set on.
  void SetOrientation(int orientation);
  std::array<float, 3> Edges() const;
  int orientation_ = 0;
  std::array<float, 3> orientedEdges_{};  // the cell's edges when orientation_ was set
  std::array<float, 3> reference_{};
};

}  // namespace quorlin
