#include "cards/KestrinCardMDThessaTH.h"

#include "cards/KestrinCardMDThessaTHEditor.h"

namespace OV {

KestrinCardMDThessaTH::KestrinCardMDThessaTH(QWidget* parent, BeanPtr bean)
    : KestrinCardModule(parent, std::move(bean), kProductId, "THESSA", "KestrinCardMDThessaTH")
{}

KestrinCardModuleEditor* KestrinCardMDThessaTH::makeEditor(KestrinCardModuleEditor::Modules modules)
{
    return new KestrinCardMDThessaTHEditor(this, std::move(modules));
}

} // namespace OV
