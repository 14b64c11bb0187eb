// The Help menu: the About box (version and the licences of what the program
// links) and the user guide.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "frm_main.h"
#include "frm_user_guide.h"
#include "mainwindow/about.h"

namespace quorlin {

void frmMain::WireHelp() {
  mnuUserGuide = new QAction("User Guide", mnuHelp);
  mnuUserGuide->setObjectName("mnuUserGuide");
  mnuHelp->insertAction(mnuAbout, mnuUserGuide);
  connect(mnuAbout, &QAction::triggered, this, &frmMain::ShowAbout);
  connect(mnuUserGuide, &QAction::triggered, this, [this] {
    const std::string path =
        UserGuidePath(QCoreApplication::applicationDirPath().toStdString(), QUORLIN_SOURCE_DOCS);
    if (path.empty()) {
      model_->Platform().ShowMessage("The user guide is not installed (guide.md in share/doc/quorlin).");
      return;
    }
    ShowToolWindow<frmUserGuide>()->Load(QString::fromStdString(path));
  });
}

void frmMain::ShowAbout() {
  QMessageBox box(QMessageBox::Information, "About Quorlin",
                  QString::fromStdString(AboutText(QUORLIN_VERSION, LinkedLibraries(qVersion()))),
                  QMessageBox::Ok, this);
  box.setObjectName("frmAbout");
  QPushButton* aboutQt = box.addButton("About Qt", QMessageBox::HelpRole);
  aboutQt->setObjectName("cmdAboutQt");
  connect(aboutQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this); });
  box.setEscapeButton(QMessageBox::Ok);  // with two buttons Qt would pick none
  box.exec();
}

}  // namespace quorlin
