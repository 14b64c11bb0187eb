#include "frm_user_guide.h"

#include <QFileInfo>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
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
  FitPictures(width() - 60);
}

void frmUserGuide::FitPictures(int widest) {
  QTextDocument* doc = txtGuide->document();
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      QTextImageFormat image = f.charFormat().toImageFormat();
      if (!image.isValid()) continue;
      // A file comes back as its bytes, a cached picture as an image.
      const QVariant resource =
          txtGuide->loadResource(QTextDocument::ImageResource, txtGuide->source().resolved(QUrl(image.name())));
      const QImage picture = resource.typeId() == QMetaType::QImage ? resource.value<QImage>()
                                                                     : QImage::fromData(resource.toByteArray());
      if (picture.isNull() || picture.width() <= widest) continue;
      image.setWidth(widest);
      image.setHeight(picture.height() * widest / picture.width());
      QTextCursor c(doc);
      c.setPosition(f.position());
      c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
      c.setCharFormat(image);
    }
  }
}

}  // namespace quorlin
