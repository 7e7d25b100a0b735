#pragma once

#include <QObject>

#include <functional>

namespace OV {

// Reports every change of a watched widget's enabled state; the event itself goes on.
class EnabledWatcher : public QObject
{
    Q_OBJECT
public:
    explicit EnabledWatcher(QObject* parent = nullptr) : QObject(parent) {}

    std::function<void(bool enabled)> handler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace OV
