#include "scene/ActionInputConfigItem.h"
#include "core/Utils.h"

#include "widgets/MessageDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <charconv>

namespace OV {

namespace {

constexpr int kIntMaxLength = 10;

// The whole text as a signed 64-bit number; nothing for "-", blanks, or a value beyond the range.
std::optional<qint64> parseInteger(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    qint64 value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [ptr, ec] = std::from_chars(bytes.constData(), end, value);
    if (ec != std::errc() || ptr != end || bytes.isEmpty())
        return std::nullopt;
    return value;
}

} // namespace

ActionInputConfigItem::ActionInputConfigItem(QWidget* parent, const nlohmann::json& component)
    : ActionConfigItem(parent, component)
{
    setFixedHeight(100);
    const std::string inputType = component.at("inputType").get<std::string>();
    m_unit = OV::fromStdText(component.at("unit").get<std::string>());
    m_integer = OV::fromStdText(inputType).compare(QLatin1String("int"), Qt::CaseInsensitive) == 0;

    auto* row = new QHBoxLayout();
    row->setContentsMargins(10, 0, 10, 0);
    m_edit = new QLineEdit(m_groupBox);
    m_edit->setFixedHeight(32);
    row->addWidget(m_edit, 1);
    // The unit as the hub's action tree gives it.
    m_unitLabel = new QLabel(m_unit, m_groupBox);
    m_unitLabel->setTextFormat(Qt::PlainText);
    m_unitLabel->setAlignment(Qt::AlignVCenter);
    row->addWidget(m_unitLabel);
    m_groupLayout->addLayout(row);

    if (m_integer) {
        m_min = wholeNumber(component.at("min"));
        m_max = wholeNumber(component.at("max"));
        m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^-?[0-9]+$")), m_edit));
        m_edit->setMaxLength(kIntMaxLength);
        m_edit->setPlaceholderText(tr("number [%1, %2]").arg(m_min).arg(m_max));
    }
}

nlohmann::json ActionInputConfigItem::buildItemJson()
{
    const QString text = m_edit->text();
    if (text.trimmed().isEmpty()) {
        MessageDialog::error(tr("No data entered"), true);
        return nullptr;
    }
    nlohmann::json value = text.toStdString();
    if (m_integer) {
        // "-" alone, blanks or a number beyond 64 bits is as unusable as one outside the bounds.
        const std::optional<qint64> number = parseInteger(text);
        if (!number || *number < m_min || *number > m_max) {
            MessageDialog::error(tr("The entered number is out of range."), true);
            return nullptr;
        }
        value = *number;
    }
    return makeItemJson(std::move(value), text + QStringLiteral(" ") + m_unit);
}

void ActionInputConfigItem::reset()
{
    m_edit->clear();
}

} // namespace OV
