#include "cards/KestrinCard.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/MainProfileParamsEditor.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QMenu>
#include <QMouseEvent>

namespace OV {

namespace {

constexpr int kDeleteAction = 2;

} // namespace

KestrinCard::KestrinCard(QWidget* parent, BeanPtr bean)
    : KestrinDragWidget(parent), m_bean(std::move(bean)), m_editPanelKey(createUuid())
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromScreen));
    setWidgetType(m_bean->widgetType);
    setFocusPolicy(Qt::NoFocus);
    setProperty("clickable", true);
    setBorderRadius(20);
}

KestrinCard::~KestrinCard()
{
    if (MainWindow::currentEditKey() == m_editPanelKey)
        MainWindow::clearEditPanel();
}

void KestrinCard::requestDelete()
{
    if (m_deleteCallback)
        m_deleteCallback();
}

nlohmann::json& KestrinCard::configuration()
{
    return m_bean->data;
}

nlohmann::json& KestrinCard::deploymentData()
{
    nlohmann::json& config = configuration();
    if (!config.contains("deploymentData"))
        config["deploymentData"] = nlohmann::json::object();
    return config["deploymentData"];
}

nlohmann::json& KestrinCard::param()
{
    nlohmann::json& deploy = deploymentData();
    if (!deploy.is_object() || !deploy.contains("param"))
        deploy["param"] = nlohmann::json::object();
    return deploy["param"];
}

bool KestrinCard::isLocalIcon(const QString& icon)
{
    const QString text = icon.trimmed().toLower();
    return !text.isEmpty() && !text.startsWith(QLatin1String("http"));
}

void KestrinCard::deployIcon()
{
    if (isLocalIcon(m_bean->icon))
        deploymentData()["icon"] = QStringLiteral("file://image/%1.png").arg(m_bean->uid).toStdString();
}

void KestrinCard::updateName(const QString& text)
{
    if (!text.isEmpty()) {
        setName(text);
        return;
    }
    const nlohmann::json& config = configuration();
    const auto name = config.find("name");
    setName(name != config.end() && name->is_string() ? OV::fromStdText(name->get<std::string>()) : QString());
}

void KestrinCard::setName(const QString& text)
{
    m_shownName = text;
    setToolTip(plainToolTip(text));
}

std::shared_ptr<ProjectProfileKsWidgetUseCase> KestrinCard::widgetUseCase()
{
    if (!m_widgetUseCase)
        m_widgetUseCase = ProjectManager::instance()->getProfileKsWidgetUseCase();
    return m_widgetUseCase;
}

void KestrinCard::saveWidgetBean(const BaseResultCallback<void>& callback, QPixmap* icon)
{
    // insertOrUpdateWidget is one transaction of its own; transactions do not nest.
    const BaseResult<void> result = widgetUseCase()->insertOrUpdateWidget(*m_bean, icon);
    if (callback)
        callback(result);
}

void KestrinCard::applyAndSave(const std::function<void()>& change, const BaseResultCallback<void>& callback,
                               QPixmap* icon)
{
    const QString name = m_bean->name;
    const QString iconText = m_bean->icon;
    const nlohmann::json data = m_bean->data;
    // The label as it stands, not one rebuilt from the record: each kind of card makes its
    // label its own way (a timer without a name shows its time, the weather card a fixed text).
    const QString shown = m_shownName;
    const auto restore = [&]() {
        m_bean->name = name;
        m_bean->icon = iconText;
        m_bean->data = data;
        setName(shown);
    };
    try {
        change();
    } catch (const std::exception& e) {
        restore();
        if (callback)
            callback(BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what())));
        return;
    }
    const BaseResult<void> result = widgetUseCase()->insertOrUpdateWidget(*m_bean, icon);
    if (!result.isOk())
        restore();
    if (callback)
        callback(result);
}

void KestrinCard::setData(nlohmann::json&& config)
{
    m_bean->setData(std::move(config));
}

nlohmann::json* KestrinCard::data()
{
    return &m_bean->data;
}

bool KestrinCard::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

MainProfileParamsEditor* KestrinCard::newConfigEditor()
{
    return nullptr;
}

void KestrinCard::onClicked()
{
    showEditor();
}

void KestrinCard::showEditor()
{
    if (!m_editable) {
        MainWindow::setEditPanel(m_editPanelKey, nullptr);
        return;
    }
    if (MainWindow::currentEditKey() == m_editPanelKey)
        return;
    // The editor is built from the stored record, which may come from anyone: a value of the
    // wrong kind is reported and the record stays as it is.
    QWidget* editor = nullptr;
    try {
        editor = newConfigEditor();
    } catch (const std::exception& e) {
        const QString detail =
            QStringLiteral("widget uid:%1, %2").arg(m_bean ? m_bean->uid : QString(), QString::fromUtf8(e.what()));
        Logger::error("KestrinCard", "cannot open the editor: %s", qUtf8Printable(detail));
        MessageDialog::error(formatErrorDetails(Errors::InvalidDatabaseFormat, detail), true);
        return;
    }
    MainWindow::setEditPanel(m_editPanelKey, editor);
}

void KestrinCard::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (!m_menu) {
            m_menu = new QMenu(this);
            m_menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
            QAction* remove = m_menu->addAction(tr("Delete"));
            remove->setData(kDeleteAction);
            connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
                if (action->data().toInt() == kDeleteAction)
                    requestDelete();
            });
        }
        m_menu->popup(event->globalPosition().toPoint());
    }
    KestrinDragWidget::mouseReleaseEvent(event);
}

} // namespace OV
