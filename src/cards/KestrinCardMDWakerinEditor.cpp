#include "cards/KestrinCardMDWakerinEditor.h"

namespace OV {

KestrinCardMDWakerinEditor::KestrinCardMDWakerinEditor(KestrinCard* card, Modules modules)
    : KestrinCardModuleEditor(card, std::move(modules), QStringLiteral("Wakerin"), "KestrinCardMDWakerinEditor")
{}

} // namespace OV
