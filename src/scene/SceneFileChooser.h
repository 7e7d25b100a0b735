#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace OV {

// The file and folder choosers of the PC-control editors (modal, starting on the desktop).
// Tests answer them through a provider instead of a dialog.
class SceneFileChooser
{
public:
    enum Mode {
        ExistingFile,
        Directory,
    };
    struct Request
    {
        Mode mode = ExistingFile;
        QString title;
        QString nameFilter;
    };
    // Returns the chosen path, empty when cancelled.
    using Provider = std::function<QString(const Request&)>;

    static QString choose(QWidget* parent, const Request& request);
    static void setProvider(Provider provider);
};

} // namespace OV
