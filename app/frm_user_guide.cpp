#include "frm_user_guide.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "widget_names.h"

namespace quorlin {

frmUserGuide::frmUserGuide(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmUserGuide", "User Guide", parent) {
  txtGuide = Named(new QTextBrowser(this), "txtGuide");
  txtGuide->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtGuide);
  resize(820, 900);
}

void frmUserGuide::Load(const QString& path) {
  txtGuide->setSearchPaths({QFileInfo(path).absolutePath()});
  txtGuide->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), QTextDocument::MarkdownResource);
}

}  // namespace quorlin
