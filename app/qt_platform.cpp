#include "qt_platform.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace quorlin {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const QString kTitle = QStringLiteral("Quorlin");

// The filter a dialog opens on: the index counts from 1, and any other gives none.
QString SelectedFilter(const QString& filters, int index) {
  const QStringList list = filters.split(";;");
  return index >= 1 && index <= list.size() ? list[index - 1] : QString();
}

}  // namespace

QString QtFilterText(const std::vector<FileFilter>& filters) {
  QStringList parts;
  for (const FileFilter& f : filters) {
    QString text = Q(f.description);
    if (!text.contains('(')) text += " (" + Q(f.pattern) + ")";
    parts << text;
  }
  return parts.join(";;");
}

QString QtStartPath(const FileDialogRequest& request) {
  QString folder = Q(request.initialFolder);
  if (request.fileName.empty()) return folder;
  if (folder.isEmpty()) return Q(request.fileName);
  return folder + "/" + Q(request.fileName);
}

QString WithDefaultExtension(const QString& path, const std::string& extension) {
  if (path.isEmpty() || extension.empty()) return path;
  if (!QFileInfo(path).suffix().isEmpty()) return path;
  return path + "." + Q(extension);
}

QColor ColorFromValue(std::uint32_t value) {
  return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                static_cast<int>((value >> 16) & 0xFFu));
}

std::uint32_t ValueFromColor(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8) |
         (static_cast<std::uint32_t>(color.blue()) << 16);
}

void QtPlatform::ShowMessage(const std::string& text) {
  QMessageBox::information(owner_, kTitle, Q(text), QMessageBox::Ok);
}

MessageAnswer QtPlatform::AskYesNoCancel(const std::string& text) {
  auto answer = QMessageBox::question(owner_, kTitle, Q(text),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return MessageAnswer::Yes;
  if (answer == QMessageBox::No) return MessageAnswer::No;
  return MessageAnswer::Cancel;
}

std::optional<int> QtPlatform::ChooseItem(const std::string& title, const std::vector<std::string>& items) {
  if (items.empty()) return std::nullopt;
  QStringList list;
  for (const auto& item : items) list << Q(item);
  bool ok = false;
  const QString chosen = QInputDialog::getItem(owner_, kTitle, Q(title), list, 0, false, &ok);
  if (!ok) return std::nullopt;
  return static_cast<int>(list.indexOf(chosen));
}

std::optional<std::string> QtPlatform::OpenFileDialog(const FileDialogRequest& request) {
  QString filters = QtFilterText(request.filters);
  QString selected = SelectedFilter(filters, request.filterIndex);
  QString path = QFileDialog::getOpenFileName(owner_, Q(request.title), QtStartPath(request), filters,
                                              &selected);
  if (path.isEmpty()) return std::nullopt;
  return QFileInfo(path).absoluteFilePath().toStdString();
}

std::optional<std::string> QtPlatform::SaveFileDialog(const FileDialogRequest& request) {
  QString filters = QtFilterText(request.filters);
  QString selected = SelectedFilter(filters, request.filterIndex);
  QFileDialog dialog(owner_, Q(request.title), QtStartPath(request), filters);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(Q(request.defaultExtension));
  if (!selected.isEmpty()) dialog.selectNameFilter(selected);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  QString path = WithDefaultExtension(dialog.selectedFiles().front(), request.defaultExtension);
  return QFileInfo(path).absoluteFilePath().toStdString();
}

std::optional<std::uint32_t> QtPlatform::ChooseColor(std::optional<std::uint32_t> initial,
                                                     CustomColors& custom) {
  // QColorDialog keeps its custom colours in a process-wide table: load ours,
  // and copy them back only when the user pressed OK.
  CustomColors before;
  for (int i = 0; i < 16; ++i) before[i] = ValueFromColor(QColorDialog::customColor(i));
  for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ColorFromValue(custom[i]));
  QColor chosen = QColorDialog::getColor(initial ? ColorFromValue(*initial) : QColor(Qt::black), owner_,
                                         kTitle);
  std::optional<std::uint32_t> result;
  if (chosen.isValid()) {
    for (int i = 0; i < 16; ++i) custom[i] = ValueFromColor(QColorDialog::customColor(i));
    result = ValueFromColor(chosen);
  }
  for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ColorFromValue(before[i]));
  return result;
}

}  // namespace quorlin
