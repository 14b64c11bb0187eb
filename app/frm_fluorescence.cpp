#include "frm_fluorescence.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorlin {

frmFluorescence::frmFluorescence(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmFluorescence", "Fluorescence Lines", parent), fluorescence_(model) {
  auto* grid = new QGridLayout(this);
  auto* label = new QLabel("Elements:", this);
  label->setObjectName("Label1");
  grid->addWidget(label, 0, 0, 1, 5);
  for (int i = 0; i < 5; ++i) {
    txtElement[static_cast<std::size_t>(i)] = new QLineEdit(this);
    txtElement[static_cast<std::size_t>(i)]->setObjectName(QString("txtElement(%1)").arg(i));
    txtElement[static_cast<std::size_t>(i)]->setMaximumWidth(48);
    grid->addWidget(txtElement[static_cast<std::size_t>(i)], 1, i);
  }
  cmdStoreAll = new QPushButton("Store all", this);
  cmdStoreAll->setObjectName("cmdStoreAll");
  cmdDeleteAll = new QPushButton("Delete all", this);
  cmdDeleteAll->setObjectName("cmdDeleteAll");
  grid->addWidget(cmdStoreAll, 2, 0, 1, 2);
  grid->addWidget(cmdDeleteAll, 2, 3, 1, 2);

  connect(cmdStoreAll, &QPushButton::clicked, this, [this] {
    for (int i = 0; i < 5; ++i)
      fluorescence_.txtElement[static_cast<std::size_t>(i)] =
          txtElement[static_cast<std::size_t>(i)]->text().trimmed().toStdString();
    fluorescence_.StoreAll();
  });
  connect(cmdDeleteAll, &QPushButton::clicked, this, [this] { fluorescence_.DeleteAll(); });
}

void frmFluorescence::hideEvent(QHideEvent* event) {
  // The boxes start empty each time the dialog is opened.
  for (QLineEdit* box : txtElement) box->clear();
  ToolWindow::hideEvent(event);
}

}  // namespace quorlin
