#include "cards/KestrinCardMDThessaTHEditor.h"

namespace OV {

KestrinCardMDThessaTHEditor::KestrinCardMDThessaTHEditor(KestrinCard* card, Modules modules)
    : KestrinCardModuleEditor(card, std::move(modules), QStringLiteral("Thessa"), "KestrinCardMDThessaTHEditor")
{}

} // namespace OV
