#include "qt_dialogs.h"

#include <QFileDialog>
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

}  // namespace

QtDialogs::QtDialogs(QString title) : m_title(std::move(title)) {}

void QtDialogs::message(std::string_view text)
{
    QMessageBox::information(m_parent, m_title, toQString(text));
}

bool QtDialogs::askYesNo(std::string_view question)
{
    return QMessageBox::question(m_parent, m_title, toQString(question),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::askOkCancel(std::string_view question)
{
    return QMessageBox::question(m_parent, m_title, toQString(question),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
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
    return chosen(QFileDialog::getOpenFileName(m_parent, toQString(request.title),
                                               toQString(request.defaultName),
                                               toQString(request.filter)));
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogRequest& request)
{
    return chosen(QFileDialog::getSaveFileName(m_parent, toQString(request.title),
                                               toQString(request.defaultName),
                                               toQString(request.filter)));
}

}  // namespace varnix::app
