#include "qt_dialogs.h"

#include "region_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include <utility>

namespace varnix::app {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> chosen(const QString& name)
{
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name.toStdString();
}

// A dialog object rather than the static helpers, which cannot preselect a filter entry by
// its place or add a default suffix.
std::optional<std::string> fileDialog(QWidget* parent, const FileDialogRequest& request,
                                      QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, toQString(request.title), toQString(request.defaultName),
                       toQString(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(toQString(request.defaultSuffix));
    const QStringList filters = dialog.nameFilters();
    if (std::cmp_less(request.selectedFilter, filters.size())) {
        dialog.selectNameFilter(filters.at(static_cast<qsizetype>(request.selectedFilter)));
        // A save dialog swaps the proposed name's extension for the chosen filter's ("x.SCI"
        // would become "x.sci"); the proposal is meant as it stands.
        const QString proposed = QFileInfo(toQString(request.defaultName)).fileName();
        if (!proposed.isEmpty()) {
            dialog.selectFile(proposed);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return chosen(dialog.selectedFiles().constFirst());
}

}  // namespace

QtDialogs::QtDialogs(QString title) : m_title(std::move(title)) {}

void QtDialogs::message(std::string_view text)
{
    QMessageBox::information(m_parent, m_title, toQString(text));
}

bool QtDialogs::askYesNo(std::string_view question, DefaultButton defaultButton)
{
    const auto initial =
        defaultButton == DefaultButton::YesOrOk ? QMessageBox::Yes : QMessageBox::No;
    return QMessageBox::question(m_parent, m_title, toQString(question),
                                 QMessageBox::Yes | QMessageBox::No, initial) == QMessageBox::Yes;
}

bool QtDialogs::askOkCancel(std::string_view question, DefaultButton defaultButton)
{
    const auto initial =
        defaultButton == DefaultButton::YesOrOk ? QMessageBox::Ok : QMessageBox::Cancel;
    return QMessageBox::question(m_parent, m_title, toQString(question),
                                 QMessageBox::Ok | QMessageBox::Cancel, initial) == QMessageBox::Ok;
}

std::optional<std::string> QtDialogs::inputBox(std::string_view prompt, std::string_view title,
                                               std::string_view defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, title.empty() ? m_title : toQString(title),
                              toQString(prompt), QLineEdit::Normal, toQString(defaultText), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.toStdString();
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogRequest& request)
{
    return fileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogRequest& request)
{
    return fileDialog(m_parent, request, QFileDialog::AcceptSave);
}

std::optional<int32_t> QtDialogs::chooseRegion(const RegionRequest& request)
{
    RegionChooser chooser(request, m_parent);
    if (chooser.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return chooser.selectedRegion();
}

}  // namespace varnix::app
