// What a desktop hands the program: a file named on its command line (a
// double-click) and the Help menu's guide; and the program's own answers to
// --version, --help and arguments it does not take.
#include <QComboBox>
#include <QProcess>
#include <QTextBlock>
#include <QTextBrowser>
#include <fstream>

#include "frm_standard_unit_cells.h"
#include "frm_user_guide.h"
#include "gui_support.h"
#include "phases/unit_cell_library.h"

namespace quorlin {
namespace {

using testing::Child;

struct Fixture : testing::MainWindowFixture {
  Fixture() : MainWindowFixture(testing::Shown::Exposed) {}
};

TEST(NamedFiles, ALibraryOpensInItsWindowAPatternInThePlotAndABadFileChangesNothing) {
  Fixture f;
  UnitCellLibrary library;
  library.Entry(1, 2) = {"corundum", 3, -1, {4.759f, 4.759f, 12.99f, 90, 90, 120}};
  const QString cells = f.home.File("lab.ucl");
  library.WriteFile(cells.toStdString());

  ASSERT_TRUE(f.window.OpenNamedFile(cells));
  auto* w = f.window.FindToolWindow<frmStandardUnitCells>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(f.m().UnitCellFileName, cells.toStdString());
  EXPECT_EQ(Child<QComboBox>(w, "cmbPhaseNames(1)")->itemText(2), "3. corundum");

  // Another library while this one has unsaved changes is refused.
  library.WriteFile(f.home.File("other.ucl").toStdString());
  w->Logic().ChooseEntry(0, 0);
  w->Logic().NameChanged("quartz");
  w->Logic().Add();
  ASSERT_TRUE(w->Logic().Changed());
  f.platform.messages.clear();
  EXPECT_FALSE(f.window.OpenNamedFile(f.home.File("other.ucl")));
  EXPECT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(f.m().UnitCellFileName, cells.toStdString());
  EXPECT_EQ(w->Logic().Library().Entry(0, 0).name, "quartz");

  const QString pattern = QUORLIN_SHARED_DIR "/realdata/gsas/PBSO4.XRA";
  ASSERT_TRUE(f.window.OpenNamedFile(pattern));
  EXPECT_TRUE(f.m().DataOpened());
  const auto points = f.m().data.NChan();
  const QString junk = f.home.File("junk.prb");
  std::ofstream(junk.toStdString(), std::ios::binary) << "\x11\x20 not a project";
  f.platform.messages.clear();
  EXPECT_FALSE(f.window.OpenNamedFile(junk));
  EXPECT_EQ(f.platform.messages.size(), 1u);
  EXPECT_EQ(f.m().data.NChan(), points);
}

QTextImageFormat FirstImage(QTextDocument* doc) {
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (auto f = it.fragment().charFormat().toImageFormat(); f.isValid()) return f;
  return {};
}

TEST(Help, TheUserGuideOpensOnceWithItsPictures) {
  Fixture f;
  f.Trigger("mnuUserGuide");
  auto* guide = f.window.FindToolWindow<frmUserGuide>();
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  auto* text = Child<QTextBrowser>(guide, "txtGuide");
  EXPECT_TRUE(text->toPlainText().contains("Quorlin user guide"));
  EXPECT_TRUE(text->toMarkdown().contains("guide/frmMain.png"));
  // The picture is found beside the guide.
  const QUrl picture = text->source().resolved(QUrl("guide/frmMain.png"));
  const QImage image = QImage::fromData(text->loadResource(QTextDocument::ImageResource, picture).toByteArray());
  ASSERT_FALSE(image.isNull());
  // A picture wider than the window is scaled into it, keeping its shape.
  const QTextImageFormat main = FirstImage(text->document());
  ASSERT_TRUE(main.isValid());
  EXPECT_GT(main.width(), 0.5 * guide->width());
  EXPECT_LT(main.width(), guide->width());
  EXPECT_NEAR(main.height() / main.width(), double(image.height()) / image.width(), 0.01);
  f.Trigger("mnuUserGuide");
  EXPECT_EQ(f.window.findChildren<frmUserGuide*>().size(), 1);
}

TEST(CommandLine, VersionAndHelpNeedNoDisplayAndStrayArgumentsAreRefused) {
  struct Case {
    QStringList args;
    int status;
    QString starts;
  };
  const Case cases[] = {{{"--version"}, 0, "quorlin "},
                        {{"--help"}, 0, "usage: quorlin [FILE]"},
                        {{"--frobnicate"}, 2, ""},
                        {{"one.prb", "two.prb"}, 2, ""}};
  for (const Case& c : cases) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");  // --version and --help must not need one
    env.insert("DISPLAY", ":nowhere");
    if (c.status != 0) env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QUORLIN_APP_PATH, c.args);
    ASSERT_TRUE(p.waitForFinished(20000)) << c.args.join(' ').toStdString();
    EXPECT_EQ(p.exitCode(), c.status) << c.args.join(' ').toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (!c.starts.isEmpty()) {
      EXPECT_TRUE(out.startsWith(c.starts)) << out.toStdString();
    }
  }
}

}  // namespace
}  // namespace quorlin
