#include "widgets/FileDialog.h"

namespace OV {

namespace {
FileDialog::Provider& provider()
{
    static FileDialog::Provider p;
    return p;
}
} // namespace

void FileDialog::setProvider(Provider p)
{
    provider() = std::move(p);
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (provider())
        return provider()(OpenFile, caption, dir);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                    const QString& defaultSuffix)
{
    if (provider())
        return provider()(SaveFile, caption, dir);
    if (defaultSuffix.isEmpty())
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                         QFileDialog::Options options)
{
    if (provider())
        return provider()(ExistingDirectory, caption, dir);
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

} // namespace OV
