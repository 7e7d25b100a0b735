#pragma once

#include <QObject>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace OV {

// Turns the change signals of editors into one dirty flag. Changes made while not watching (an
// editor loading its values) do not count.
class EditStateWatcher : public QObject
{
    Q_OBJECT
public:
    explicit EditStateWatcher(QObject* parent = nullptr);

    void watch(QCheckBox* box);
    void watch(QComboBox* box);
    void watch(QLineEdit* edit);
    void watch(QPlainTextEdit* edit);

    void setWatching(bool watching) { m_watching = watching; }
    bool isWatching() const { return m_watching; }
    bool isDirty() const { return m_dirty; }
    void clearDirty() { m_dirty = false; }
    void setDirtyCallback(std::function<void()> callback) { m_dirtyCallback = std::move(callback); }

public slots:
    void markDirty();

signals:
    void changedSignal();

private:
    bool m_watching = false;
    bool m_dirty = false;
    std::function<void()> m_dirtyCallback;
};

} // namespace OV
