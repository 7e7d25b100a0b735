#include "cards/KestrinCardMDWakerin.h"

#include "cards/KestrinCardMDWakerinEditor.h"

namespace OV {

KestrinCardMDWakerin::KestrinCardMDWakerin(QWidget* parent, BeanPtr bean)
    : KestrinCardModule(parent, std::move(bean), kProductId, "WAKERIN", "KestrinCardMDWakerin")
{}

KestrinCardModuleEditor* KestrinCardMDWakerin::makeEditor(KestrinCardModuleEditor::Modules modules)
{
    return new KestrinCardMDWakerinEditor(this, std::move(modules));
}

} // namespace OV
