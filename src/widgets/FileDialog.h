#pragma once

#include <QFileDialog>
#include <QString>

#include <functional>

class QWidget;

namespace OV {

// The file choosers of the screens. Tests answer them through a provider instead of a native
// dialog, so no test ever waits on a user.
class FileDialog
{
public:
    enum Kind {
        OpenFile = 0,
        SaveFile = 1,
        ExistingDirectory = 2,
    };

    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    // A name typed without a suffix gets defaultSuffix (no dot) before the chooser asks whether
    // to replace an existing file, so the question is about the file that will be written.
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                   const QString& defaultSuffix = QString());
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                        QFileDialog::Options options);

    // For tests: while set, every chooser returns what the provider returns (empty = cancelled).
    using Provider = std::function<QString(Kind kind, const QString& caption, const QString& dir)>;
    static void setProvider(Provider provider);
};

} // namespace OV
