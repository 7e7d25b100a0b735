#include "module/ModulePelloraWidgetEditor.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "module/PelloraWidgetButton.h"
#include "project/ProjectDbModuleBean.h"
#include "widgets/MessageDialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePelloraWidgetEditor";

QLabel* rowLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedSize(80, 32);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

ModulePelloraWidgetEditor::ModulePelloraWidgetEditor(ProjectDbModuleBean* bean, const nlohmann::json& widget,
                                                     PelloraImageMap images, QWidget* parent)
    : BaseWindow(parent), m_moduleRecordId(bean ? bean->id : -1), m_widget(widget), m_images(std::move(images))
{
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setTitle(tr("Widget Dialog"));
    hideMinimizeButton();
    setFixedWindowSize(550, 460);

    const auto typeMember = widget.find("type");
    const bool hasType = typeMember != widget.end() && typeMember->is_number_integer();
    const int type = hasType ? typeMember->get<int>() : PelloraWidgetButton::kType;

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* body = new QWidget(content);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(20, 20, 20, 10);
    bodyLayout->setSpacing(12);

    auto* nameRow = new QHBoxLayout();
    nameRow->setSpacing(11);
    nameRow->addWidget(rowLabel(tr("Name"), body));
    m_nameEdit = new QLineEdit(body);
    m_nameEdit->setFixedSize(300, 32);
    m_nameEdit->setMaxLength(64);
    const auto name = widget.find("name");
    if (name != widget.end() && name->is_string())
        m_nameEdit->setText(OV::fromStdText(name->get<std::string>()));
    nameRow->addWidget(m_nameEdit);
    nameRow->addStretch();
    bodyLayout->addLayout(nameRow);

    m_typeRow = new QWidget(body);
    auto* typeLayout = new QHBoxLayout(m_typeRow);
    typeLayout->setContentsMargins(0, 0, 0, 0);
    typeLayout->setSpacing(11);
    typeLayout->addWidget(rowLabel(tr("Type"), m_typeRow));
    m_typeGroup = new QButtonGroup(this);
    m_buttonRadio = new QRadioButton(tr("Button"), m_typeRow);
    m_toggleRadio = new QRadioButton(tr("Toggle"), m_typeRow);
    // Listed for completeness; there is no editor for it yet.
    m_toggleRadio->hide();
    m_typeGroup->addButton(m_buttonRadio, PelloraWidgetButton::kType);
    m_typeGroup->addButton(m_toggleRadio, 2);
    typeLayout->addWidget(m_buttonRadio);
    typeLayout->addWidget(m_toggleRadio);
    typeLayout->addStretch();
    m_typeRow->setEnabled(!hasType);
    bodyLayout->addWidget(m_typeRow);

    m_typeArea = new QWidget(body);
    m_typeAreaLayout = new QVBoxLayout(m_typeArea);
    m_typeAreaLayout->setContentsMargins(0, 20, 0, 0);
    bodyLayout->addWidget(m_typeArea, 1);
    layout->addWidget(body, 1);

    auto* divider = new QWidget(content);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(2);
    layout->addWidget(divider);
    auto* bar = new QWidget(content);
    bar->setFixedHeight(50);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(20, 0, 20, 0);
    barLayout->addStretch();
    m_saveButton = new QPushButton(tr("Save"), bar);
    m_saveButton->setMinimumSize(80, 28);
    m_saveButton->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    m_cancelButton = new QPushButton(tr("Cancel"), bar);
    m_cancelButton->setMinimumSize(80, 28);
    barLayout->addWidget(m_saveButton);
    barLayout->addWidget(m_cancelButton);
    layout->addWidget(bar);
    setContentWidget(content);

    connect(m_typeGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            onTypeSelected(id);
    });
    connect(m_saveButton, &QPushButton::clicked, this, &ModulePelloraWidgetEditor::onClickSave);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::close);

    if (QAbstractButton* radio = m_typeGroup->button(type))
        radio->setChecked(true);
}

void ModulePelloraWidgetEditor::onTypeSelected(int typeId)
{
    Logger::debug(kTag, "Selected radio typeId:%d", typeId);
    if (typeId != PelloraWidgetButton::kType && typeId != 2)
        return;
    if (m_typeEditor) {
        m_typeAreaLayout->removeWidget(m_typeEditor);
        m_typeEditor->hide();
        m_typeEditor->deleteLater();
        m_typeEditor = nullptr;
    }
    if (typeId == PelloraWidgetButton::kType) {
        m_typeEditor = new PelloraWidgetButton(m_moduleRecordId, m_widget, m_images, m_typeArea);
        m_typeAreaLayout->addWidget(m_typeEditor);
    }
}

void ModulePelloraWidgetEditor::onClickSave()
{
    try {
        if (!m_typeEditor) {
            MessageDialog::error(tr("Unknown error."), true);
            return;
        }
        const QString name = m_nameEdit->text().trimmed();
        if (name.isEmpty()) {
            MessageDialog::error(tr("Name is empty."), true);
            return;
        }
        PelloraWidgetInfo* info = m_typeEditor->buildWidgetInfo();
        if (!info || !info->ok)
            return;
        info->widget["name"] = name.toStdString();
        if (saveCallback)
            saveCallback(*info);
        close();
    } catch (const std::exception& e) {
        Logger::error(kTag, "Save error:%s", e.what());
    }
}

void ModulePelloraWidgetEditor::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("module_pellora_widget_editor")));
}

} // namespace OV
