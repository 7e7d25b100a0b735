#include "scene/SceneFileChooser.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace OV {

namespace {

SceneFileChooser::Provider& provider()
{
    static SceneFileChooser::Provider instance;
    return instance;
}

} // namespace

void SceneFileChooser::setProvider(Provider value)
{
    provider() = std::move(value);
}

QString SceneFileChooser::choose(QWidget* parent, const Request& request)
{
    if (provider())
        return provider()(request);
    QFileDialog dialog(parent, request.title, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    dialog.setModal(true);
    if (request.mode == Directory) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!request.nameFilter.isEmpty())
            dialog.setNameFilter(request.nameFilter);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace OV
