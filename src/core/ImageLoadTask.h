#pragma once

#include <QObject>

namespace OV {

// Stands for one ImageLoader request; deleted shortly after its callback has run.
class ImageLoadTask : public QObject
{
    Q_OBJECT
public:
    explicit ImageLoadTask(QObject* parent = nullptr) : QObject(parent) {}
};

} // namespace OV
