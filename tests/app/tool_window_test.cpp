// The refresh of a tool window: signals of its controls are blocked, yet a
// table that loses rows in a refresh shows only the rows left (its headers
// must still tell the view that the row count changed).

#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui_support.h"
#include "tool_window.h"

namespace quorlin {
namespace {

class TableWindow : public ToolWindow {
 public:
  TableWindow(MainModel& model, QWidget* parent) : ToolWindow(model, "frmTable", "Table", parent) {
    table = new QTableWidget(0, 1, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    connect(table, &QTableWidget::currentCellChanged, this, [this] { ++writes; });
    resize(200, 200);
  }
  QTableWidget* table;
  int rows = 0;
  int writes = 0;  // current-cell changes that reached the window

 protected:
  void Refresh() override {
    table->setRowCount(rows);
    for (int i = 0; i < rows; ++i) table->setItem(i, 0, new QTableWidgetItem(QString::number(i)));
    if (rows > 0) table->setCurrentCell(0, 0);
  }
};

TEST(ToolWindow, ARefreshThatRemovesRowsLeavesNoneBehindAndWritesNothing) {
  testing::MainWindowFixture f(testing::Shown::Exposed);
  TableWindow w(f.m(), &f.window);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.rows = 100;
  w.RefreshNow();
  QTest::qWait(0);
  EXPECT_GT(w.table->verticalScrollBar()->maximum(), 0);
  w.rows = 1;
  w.RefreshNow();
  QTest::qWait(0);
  // The view took in the new row count: nothing is left to scroll to.
  EXPECT_EQ(w.table->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(w.writes, 0);
}

}  // namespace
}  // namespace quorlin
