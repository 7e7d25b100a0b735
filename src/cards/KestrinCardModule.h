#pragma once

#include "cards/KestrinCardModuleEditor.h"
#include "cards/SimpleKestrinCard.h"

#include <cstdint>

namespace OV {

// A card that shows one module of a product; the card names the module by its record id.
class KestrinCardModule : public SimpleKestrinCard
{
    Q_OBJECT
public:
    void init() override;
    void setConfig(const QString& moduleUid);

protected:
    KestrinCardModule(QWidget* parent, BeanPtr bean, uint64_t productId, const char* deployType, const char* tag);

    MainProfileParamsEditor* newConfigEditor() override;
    virtual KestrinCardModuleEditor* makeEditor(KestrinCardModuleEditor::Modules modules) = 0;

private:
    BaseResult<KestrinCardModuleEditor::Modules> findModules() const;

    uint64_t m_productId;
    const char* m_deployType;
    const char* m_tag;
};

} // namespace OV
