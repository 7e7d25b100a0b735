#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

class QColor;

namespace OV {
class ProjectDbHostBean;
class ProjectManager;
} // namespace OV

// Compares two JSON values and shows both dumps when they differ.
#define JSON_COMPARE(actual, expected)                                                                                 \
    do {                                                                                                               \
        const nlohmann::json a_ = (actual);                                                                            \
        const nlohmann::json e_ = (expected);                                                                          \
        QVERIFY2(a_ == e_, qPrintable(QString::fromStdString(a_.dump() + "\n   != " + e_.dump())));                    \
    } while (false)

namespace OV::Test {

class StandinHub;

// A picture of one colour, encoded as PNG.
QByteArray solidPng(const QColor& color, int width, int height);

// The host record of the stand-in hub at its loopback address; with a token, it carries the
// encoded token the hub is told to accept.
std::shared_ptr<ProjectDbHostBean> standinHost(const StandinHub& hub, const QString& serial,
                                               const QString& token = QString());
// Makes the host the manager's current hub, starts its session and waits until it is ready.
bool startCurrentHub(ProjectManager& manager, const std::shared_ptr<ProjectDbHostBean>& host, int timeoutMs);

} // namespace OV::Test
