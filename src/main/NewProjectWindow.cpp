#include "main/NewProjectWindow.h"

#include "core/AppDirs.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "project/ProjectManager.h"
#include "store/StoreUtils.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

namespace {
QWidget* makeRow(QWidget* parent, const QString& caption, QLineEdit* field)
{
    auto* row = new QWidget(parent);
    row->setFixedHeight(50);
    auto* layout = new QHBoxLayout(row);
    layout->setSpacing(10);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption, row);
    label->setFixedWidth(100);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    field->setParent(row);
    field->setFixedHeight(32);
    layout->addWidget(label);
    layout->addWidget(field, 1);
    return row;
}
} // namespace

NewProjectWindow::NewProjectWindow(QWidget* parent) : BaseWindow(parent)
{
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    hideMinimizeButton();
    hideMaximizeButton();
    setTitle(tr("New Project"));

    m_form = new QWidget(this);
    auto* layout = new QVBoxLayout(m_form);
    layout->setSpacing(10);

    m_nameField = new QLineEdit();
    m_nameField->setMaxLength(64);
    layout->addWidget(makeRow(m_form, tr("Project Name"), m_nameField));

    m_folderField = new QLineEdit();
    QWidget* folderRow = makeRow(m_form, tr("Save Path"), m_folderField);
    m_chooseButton = new QPushButton(tr("Choose"), folderRow);
    m_chooseButton->setFixedSize(100, 32);
    folderRow->layout()->addWidget(m_chooseButton);
    layout->addWidget(folderRow);

    layout->addWidget(new QWidget(m_form), 1);

    auto* buttonRow = new QWidget(m_form);
    auto* buttonLayout = new QHBoxLayout(buttonRow);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    m_createButton = new QPushButton(tr("Create"), buttonRow);
    m_createButton->setObjectName(QStringLiteral("btnCreate"));
    m_createButton->setFixedSize(100, 32);
    buttonLayout->addWidget(m_createButton, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(buttonRow);

    connect(m_chooseButton, &QPushButton::clicked, this, &NewProjectWindow::onClick);
    connect(m_createButton, &QPushButton::clicked, this, &NewProjectWindow::onClick);

    setContentWidget(m_form);
    moveToCenter();

    m_nameField->setText(ProjectManager::instance()->suggestNewProject());
    m_folderField->setText(AppDirs::projectDir());
    // Typing names the project at once; Return in either field creates it.
    m_nameField->selectAll();
    m_nameField->setFocus();
    for (QLineEdit* field : {m_nameField, m_folderField})
        connect(field, &QLineEdit::returnPressed, m_createButton, &QPushButton::click);
}

QSize NewProjectWindow::defaultWindowSize()
{
    return {600, 260};
}

void NewProjectWindow::onThemeChanged(ThemeLoader* loader)
{
    m_form->setStyleSheet(loader->load(QStringLiteral("new_project_window")));
    m_createButton->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

void NewProjectWindow::onClick()
{
    QObject* button = sender();
    if (button == m_createButton) {
        if (createProject() && createdHandler)
            createdHandler();
    } else if (button == m_chooseButton) {
        const QString folder =
            FileDialog::getExistingDirectory(this, tr("Choose Save Path"), m_folderField->text(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        if (!folder.isEmpty())
            m_folderField->setText(folder);
    }
}

bool NewProjectWindow::isValidProjectName(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            return false;
    }
    return true;
}

bool NewProjectWindow::createProject()
{
    const QString name = m_nameField->text();
    const QString folder = m_folderField->text();
    if (name.isEmpty()) {
        MessageDialog::error(tr("Project name is empty"), true);
        return false;
    }
    if (folder.isEmpty()) {
        MessageDialog::error(tr("Save Path is empty"), true);
        return false;
    }
    // The name becomes a file name inside the folder: it must not reach another folder.
    if (!isValidProjectName(name)) {
        MessageDialog::error(
            tr("The project name cannot be used as a file name. Do not use / \\ : * ? \" < > | or only dots."), true);
        return false;
    }
    const BaseResult<void> result = ProjectManager::instance()->createProject(name, folder);
    if (!result.isOk()) {
        MessageDialog::error(formatErrorDetails(result), true);
        return false;
    }
    Logger::debug("NewProjectWindow", "Create project success, path:%s",
                  (folder + QLatin1Char('/') + name).toUtf8().constData());
    return true;
}

} // namespace OV
